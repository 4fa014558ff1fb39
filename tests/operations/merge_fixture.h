#pragma once

// The merge's fixture: a DAT folder, a library in a folder or in LDraw's zip archives, and the
// helpers that write model lines.
#include "files/paths.h"
#include "library/library.h"
#include "operations/merge.h"
#include "operations/split.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace brikmux {
namespace testing::merge {

using testing::crlf;
using testing::FaultyFileSystem;
using testing::ref;
using testing::ScriptedPrompter;
using testing::TempDir;
using Names = std::vector<std::string>;

inline const std::string kHeader = crlf({"0 MPD Author: Brikmux", "0", "0 This .MPD was compiled using Brikmux",
                                         "0 http://www.brikmux.org/~zelk/Brikmux/Brikmux.html", "0"});

// Every merge test runs with the library in a folder and, as many users keep it, in LDraw's zip
// archives: the results must be the same.
enum class LibraryForm { Folder, Archive };

class Merge : public ::testing::TestWithParam<LibraryForm> {
protected:
    Merge()
    {
        library.write("parts/3001.dat", "");
        library.write("p/box.dat", "");
        library.write("parts/s/3001s01.dat", "");
    }
    // The library folder as the merge is given it: the folder, or a folder holding only the same
    // files zipped up.
    std::string ldraw() const
    {
        if (GetParam() == LibraryForm::Folder) {
            return library.field();
        }
        testing::zipLibrary(library.path(), archives.path());
        return archives.field();
    }
    // A path as the folder library would give it.
    std::string asInFolder(std::string path) const
    {
        for (const auto& [archive, folder] : {std::pair{archives.field() + "Complete.zip/LDraw/", library.field()},
                                              {archives.field() + "LDrawUnf.zip/", library.field() + "Unofficial/"}}) {
            if (path.starts_with(archive)) {
                path = joinPath(folder, path.substr(archive.size()));
            }
        }
        return path;
    }
    MergeJob job(const std::string& mpd, bool pack = false, ReferenceKinds kinds = ReferenceKinds::Any) const
    {
        return MergeJob{dat.field(), dat.field(), ldraw(), mpd, "Brikmux", kinds, pack};
    }
    MergeResult merge(const std::string& main, const std::string& mpd = "out.mpd",
                      ReferenceKinds kinds = ReferenceKinds::Any)
    {
        return MergeToMPD(main, job(mpd, false, kinds), fileSystem, prompter);
    }
    std::string done(std::size_t i = 0) const { return prompter.informations().at(i).text; }

    TempDir dat;
    TempDir library;
    TempDir archives;
    FaultyFileSystem fileSystem;
    ScriptedPrompter prompter;
};

} // namespace testing::merge
} // namespace brikmux
