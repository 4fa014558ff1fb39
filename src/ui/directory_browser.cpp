#include "directory_browser.h"

#include "directory_holder.h"

#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QHeaderView>

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
}

void DirectoryBrowser::follow(const QModelIndex& index)
{
    if (!index.isValid() || m_moving) {
        return;
    }
    const std::string folder = canonicalFolder(QFile::encodeName(m_model->filePath(index)).toStdString());
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
    if (folder.empty() || !std::filesystem::is_directory(folder, error)) {
        return false;
    }
    const std::string canonical = canonicalFolder(folder);
    const QModelIndex index = m_model->index(QFile::decodeName(canonical.c_str()));
    if (!index.isValid()) {
        return false;
    }
    m_moving = true;
    setCurrentIndex(index);
    m_moving = false;
    expand(index);
    scrollTo(index);
    if (canonical != m_path) {
        m_path = canonical;
        if (onChange) {
            onChange();
        }
    }
    return true;
}

} // namespace brikmux
