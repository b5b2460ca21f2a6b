#include "ui/widgets/DirectoryListBox.h"

#include <QDir>

namespace nimbar {

namespace {
constexpr int kPathRole = Qt::UserRole + 1;
}

DirectoryListBox::DirectoryListBox(QWidget* parent) : QListWidget(parent) {
    connect(this, &QListWidget::itemActivated, this, &DirectoryListBox::enter);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &DirectoryListBox::refresh);
}

void DirectoryListBox::setDirectory(const QString& path) {
    const QString cleaned = QDir::toNativeSeparators(QDir(path).absolutePath());
    const bool changed = cleaned != m_directory;
    m_directory = cleaned;
    if (changed) {
        if (!m_watcher.directories().isEmpty())
            m_watcher.removePaths(m_watcher.directories());
        if (QDir(cleaned).exists())
            m_watcher.addPath(cleaned);
    }
    refresh();
    if (changed)
        emit directoryChanged(m_directory);
}

void DirectoryListBox::showEvent(QShowEvent* event) {
    QListWidget::showEvent(event);
    refresh();
}

void DirectoryListBox::refresh() {
    const QString selected = currentItem() ? currentItem()->text() : QString();
    clear();
    QDir dir(m_directory);
    if (QDir parent = dir; parent.cdUp()) {
        auto* up = new QListWidgetItem("..", this);
        up->setData(kPathRole, parent.absolutePath());
    }
    const QStringList children =
        dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& child : children) {
        auto* item = new QListWidgetItem(child, this);
        item->setData(kPathRole, dir.absoluteFilePath(child));
        if (child == selected)
            setCurrentItem(item);
    }
}

void DirectoryListBox::enter(QListWidgetItem* item) {
    setDirectory(item->data(kPathRole).toString());
}

} // namespace nimbar
