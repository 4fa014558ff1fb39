#pragma once

#include <QTreeView>

#include <functional>
#include <string>

class QFileSystemModel;

namespace brikmux {

// A folders-only tree of the file system. Its Path is the folder shown (selected), in canonical
// form; onChange runs whenever that folder changes, by the user or by setPath, before the change
// returns.
class DirectoryBrowser final : public QTreeView {
    Q_OBJECT

public:
    explicit DirectoryBrowser(QWidget* parent = nullptr);

    const std::string& Path() const { return m_path; }
    // Shows folder; false, leaving the browser where it was, when it is not an existing folder.
    bool setPath(const std::string& folder);

    std::function<void()> onChange;

private:
    void follow(const QModelIndex& index);

    QFileSystemModel* m_model;
    std::string m_path;
    bool m_moving = false; // setPath is moving the selection
};

} // namespace brikmux
