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

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void follow(const QModelIndex& index);
    // Brings the folder shown into view once the view has laid out its rows, as folders are read
    // in the background, until the user takes over.
    void reveal();

    QFileSystemModel* m_model;
    std::string m_path;
    bool m_moving = false;    // setPath is moving the selection
    bool m_revealing = false; // the folder shown is to be kept in view
};

} // namespace brikmux
