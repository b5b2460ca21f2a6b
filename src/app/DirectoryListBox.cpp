#include "app/DirectoryListBox.h"

#include <QDir>

namespace nimbar {

namespace {
constexpr int kPathRole = Qt::UserRole + 1;
}

DirectoryListBox::DirectoryListBox(QWidget* parent) : QListWidget(parent) {
    connect(this, &QListWidget::itemActivated, this, &DirectoryListBox::enter);
}

void DirectoryListBox::setDirectory(const QString& path) {
    const QString cleaned = QDir::toNativeSeparators(QDir(path).absolutePath());
    const bool changed = cleaned != m_directory;
    m_directory = cleaned;
    clear();
    QDir dir(cleaned);
    if (QDir parent = dir; parent.cdUp()) {
        auto* up = new QListWidgetItem("..", this);
        up->setData(kPathRole, parent.absolutePath());
    }
    const QStringList children =
        dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& child : children) {
        auto* item = new QListWidgetItem(child, this);
        item->setData(kPathRole, dir.absoluteFilePath(child));
    }
    if (changed)
        emit directoryChanged(m_directory);
}

void DirectoryListBox::enter(QListWidgetItem* item) {
    setDirectory(item->data(kPathRole).toString());
}

} // namespace nimbar
