#include "file_open_dialog.h"

#include "settings/native_text.h"

#include <QFileDialog>
#include <QFileInfo>

namespace brikmux {

std::optional<FileOpenChoice> QtFileOpenDialog::open(QWidget* parent, const FileOpenRequest& request)
{
    QFileDialog dialog(parent, request.title, fromNativeText(request.initialFolder));
    // The chosen file need not exist: a new .mpd name in another folder can be typed.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(request.filters);
    if (request.selectedFilter >= 0 && request.selectedFilter < request.filters.size()) {
        dialog.selectNameFilter(request.filters.at(request.selectedFilter));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString chosen = dialog.selectedFiles().constFirst();
    return FileOpenChoice{toPathText(chosen), toNativeText(QFileInfo(chosen).fileName())};
}

} // namespace brikmux
