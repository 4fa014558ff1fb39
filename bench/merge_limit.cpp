// The merge's input and output on this machine, without its work on the text: lists the library's
// folders and the DAT folder, as the merge does, then reads every file of the DAT folder and writes
// them into one output, through a temporary file renamed into place. Nothing is parsed.
//   merge_limit LDRAW_FOLDER DAT_FOLDER OUTPUT
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<std::string> listFiles(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_name[0] != '.') {
                names.emplace_back(entry->d_name);
            }
        }
        closedir(dir);
    }
    return names;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: merge_limit LDRAW_FOLDER DAT_FOLDER OUTPUT\n");
        return 2;
    }
    const std::string ldraw = argv[1];
    std::size_t libraryFiles = 0;
    for (const char* folder : {"/p", "/parts", "/parts/s"}) {
        libraryFiles += listFiles(ldraw + folder).size();
    }
    const std::string temporary = std::string(argv[3]) + ".limit.tmp";
    const int output = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (output < 0 || libraryFiles == 0) {
        std::perror(argv[3]);
        return 1;
    }
    static char block[1 << 17]; // the merge's reader and writer blocks are this size too
    for (const std::string& name : listFiles(argv[2])) {
        const int input = open((std::string(argv[2]) + "/" + name).c_str(), O_RDONLY);
        ssize_t count = 0;
        while (input >= 0 && (count = read(input, block, sizeof block)) > 0) {
            if (write(output, block, static_cast<std::size_t>(count)) != count) {
                std::perror(argv[3]);
                return 1;
            }
        }
        if (input < 0 || count < 0 || close(input) != 0) {
            std::perror(name.c_str());
            return 1;
        }
    }
    if (close(output) != 0 || rename(temporary.c_str(), argv[3]) != 0) {
        std::perror(argv[3]);
        return 1;
    }
    return 0;
}
