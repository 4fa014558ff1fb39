#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <string>

class QWidget;

namespace brikmux {

// What a file-open dialog is shown with.
struct FileOpenRequest {
    QString title;
    std::string initialFolder;
    QStringList filters; // in Qt's form, "LDraw DAT (*.dat)"
    int selectedFilter = 0;
};

// The file chosen: its full path and its name alone (the file title).
struct FileOpenChoice {
    std::string fullPath;
    std::string title;
};

// Shows the file-open dialog; the windows are given one, tests a fake.
class FileOpenDialog {
public:
    virtual ~FileOpenDialog() = default;
    // Shows the dialog modally over parent; nothing when the user cancels.
    virtual std::optional<FileOpenChoice> open(QWidget* parent, const FileOpenRequest& request) = 0;
};

// The platform's file-open dialog, through QFileDialog.
class QtFileOpenDialog final : public FileOpenDialog {
public:
    std::optional<FileOpenChoice> open(QWidget* parent, const FileOpenRequest& request) override;
};

} // namespace brikmux
