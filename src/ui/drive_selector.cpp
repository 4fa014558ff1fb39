#include "drive_selector.h"

#include "files/paths.h"
#include "settings/native_text.h"

#include <QStorageInfo>

#include <algorithm>

namespace brikmux {

namespace {

// Windows names drives in either letter case ("c:\\" is "C:\\").
bool sameRoot(std::string_view a, std::string_view b)
{
#ifdef _WIN32
    return equalsIgnoringCase(a, b);
#else
    return a == b;
#endif
}

} // namespace

DriveSelector::DriveSelector(QWidget* parent) : QComboBox(parent)
{
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady()) {
            m_roots.push_back(toPathText(volume.rootPath()));
        }
    }
    std::sort(m_roots.begin(), m_roots.end());
    m_roots.erase(std::unique(m_roots.begin(), m_roots.end()), m_roots.end());
    for (const auto& root : m_roots) {
        addItem(fromNativeText(root));
    }
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        if (onChange) {
            onChange();
        }
    });
}

std::string DriveSelector::Drive() const
{
    const int index = currentIndex();
    return index >= 0 ? m_roots.at(static_cast<std::size_t>(index)) : std::string();
}

void DriveSelector::setDrive(const std::string& path)
{
    int best = -1;
    std::size_t bestLength = 0;
    for (std::size_t i = 0; i < m_roots.size(); ++i) {
        const std::string& root = m_roots[i];
        const bool within = path.size() >= root.size() &&
                            sameRoot(std::string_view(path).substr(0, root.size()), root) &&
                            (path.size() == root.size() || root.back() == '/' || root.back() == '\\' ||
                             path[root.size()] == '/' || path[root.size()] == '\\');
        if (within && root.size() > bestLength) { // the longest root that holds the path
            best = static_cast<int>(i);
            bestLength = root.size();
        }
    }
    if (best >= 0) {
        setCurrentIndex(best);
    }
}

} // namespace brikmux
