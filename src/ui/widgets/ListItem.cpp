#include "ListItem.h"

#include "ListModel.h"
#include "ListView.h"

ListItem::ListItem(ListModel* model, const QString& key, const QString& text,
                   const QString& smallIcon)
    : m_model(model), m_key(key), m_text(text), m_smallIcon(smallIcon)
{
}

void ListItem::setText(const QString& text)
{
    setTextAt(0, text);
}

void ListItem::setSmallIcon(const QString& imageKey)
{
    if (m_smallIcon == imageKey)
        return;
    m_smallIcon = imageKey;
    m_model->itemChanged(this, 0, Qt::DecorationRole);
}

QString ListItem::subItem(const QString& columnKey) const
{
    const int column = m_model->columnIndex(columnKey);
    return column < 0 ? QString() : textAt(column);
}

void ListItem::setSubItem(const QString& columnKey, const QString& text)
{
    const int column = m_model->columnIndex(columnKey);
    if (column >= 0)
        setTextAt(column, text);
}

void ListItem::setSelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    m_model->owner()->showSelectionOf(this);
}

void ListItem::setChecked(bool checked)
{
    if (m_checked == checked)
        return;
    m_checked = checked;
    m_model->itemChanged(this, 0, Qt::CheckStateRole);
}

void ListItem::ensureVisible()
{
    m_model->owner()->scrollToItem(this);
}

ListView* ListItem::listView() const
{
    return m_model->owner();
}

QString ListItem::textAt(int column) const
{
    return column == 0 ? m_text : m_subItems.value(column - 1);
}

void ListItem::setTextAt(int column, const QString& text)
{
    if (textAt(column) == text)
        return;
    if (column == 0) {
        m_text = text;
    } else {
        if (m_subItems.size() < column)
            m_subItems.resize(column);
        m_subItems[column - 1] = text;
    }
    m_model->itemChanged(this, column, Qt::DisplayRole);
}
