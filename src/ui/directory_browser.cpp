#include "directory_browser.h"

#include "directory_holder.h"
#include "files/file_system.h"
#include "settings/native_text.h"

#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QScrollBar>

#include <filesystem>

namespace brikmux {

DirectoryBrowser::DirectoryBrowser(QWidget* parent) : QTreeView(parent), m_model(new QFileSystemModel(this))
{
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setRootPath(QDir::rootPath());
    setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column) {
        hideColumn(column);
    }
    header()->hide();
    setIndentation(12);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { follow(current); });
    // Rows come in as folders are read in the background: keep the folder shown in view while
    // they do, once the view has laid them out.
    connect(
        verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] { reveal(); }, Qt::QueuedConnection);
}

void DirectoryBrowser::reveal()
{
    if (m_revealing) {
        scrollTo(currentIndex(), QAbstractItemView::PositionAtCenter);
    }
}

void DirectoryBrowser::showEvent(QShowEvent* event)
{
    QTreeView::showEvent(event);
    reveal();
}

void DirectoryBrowser::mousePressEvent(QMouseEvent* event)
{
    m_revealing = false;
    QTreeView::mousePressEvent(event);
}

void DirectoryBrowser::wheelEvent(QWheelEvent* event)
{
    m_revealing = false;
    QTreeView::wheelEvent(event);
}

void DirectoryBrowser::keyPressEvent(QKeyEvent* event)
{
    m_revealing = false;
    QTreeView::keyPressEvent(event);
}

void DirectoryBrowser::follow(const QModelIndex& index)
{
    if (!index.isValid() || m_moving) {
        return;
    }
    const std::string folder = canonicalFolder(toPathText(m_model->filePath(index)));
    if (folder != m_path) {
        m_path = folder;
        if (onChange) {
            onChange();
        }
    }
}

bool DirectoryBrowser::setPath(const std::string& folder)
{
    std::error_code error;
    if (folder.empty() || !std::filesystem::is_directory(toNativePath(folder), error)) {
        return false;
    }
    const std::string canonical = canonicalFolder(folder);
    const QModelIndex index = m_model->index(fromNativeText(canonical));
    if (!index.isValid()) {
        return false;
    }
    m_moving = true;
    setCurrentIndex(index);
    m_moving = false;
    for (QModelIndex above = index; above.isValid(); above = above.parent()) {
        expand(above);
    }
    m_revealing = true;
    reveal();
    if (canonical != m_path) {
        m_path = canonical;
        if (onChange) {
            onChange();
        }
    }
    return true;
}

} // namespace brikmux
