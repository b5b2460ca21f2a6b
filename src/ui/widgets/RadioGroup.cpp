#include "ui/widgets/RadioGroup.h"

#include <QGridLayout>
#include <QRadioButton>

namespace nimbar {

RadioGroup::RadioGroup(const QString& title, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(title, parent), m_buttons(new QButtonGroup(this)) {
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items.at(i), this);
        m_buttons->addButton(button, i);
        layout->addWidget(button, i / columns, i % columns);
    }
    connect(m_buttons, &QButtonGroup::idClicked, this, &RadioGroup::clicked);
}

int RadioGroup::itemIndex() const {
    return m_buttons->checkedId();
}

int RadioGroup::count() const {
    return static_cast<int>(m_buttons->buttons().size());
}

void RadioGroup::setItemIndex(int index) {
    if (QAbstractButton* button = m_buttons->button(index)) {
        button->setChecked(true);
        return;
    }
    // No item: uncheck all, which an exclusive group does not allow directly.
    m_buttons->setExclusive(false);
    for (QAbstractButton* button : m_buttons->buttons())
        button->setChecked(false);
    m_buttons->setExclusive(true);
}

} // namespace nimbar
