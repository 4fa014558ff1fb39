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
    // A filter the request does not hold leaves the first selected.
    if (const QString filter = request.filters.value(request.selectedFilter); !filter.isEmpty()) {
        dialog.selectNameFilter(filter);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString chosen = dialog.selectedFiles().constFirst();
    return FileOpenChoice{toPathText(chosen), toNativeText(QFileInfo(chosen).fileName())};
}

} // namespace brikmux
