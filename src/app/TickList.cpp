#include "app/TickList.h"
#include <QApplication>
#include <QStyle>
#include <QStyleOptionViewItem>

TickList::TickList(QWidget *parent) : QListView(parent)
{
    setModel(&m_rows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true); // keeps 100,000 rows cheap to lay out
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(&m_rows, &wf::FileListModel::itemCheck, this, &TickList::itemCheck);
}

void TickList::setListIndex(int row)
{
    setCurrentIndex(m_rows.index(row));
}

QRect TickList::tickRect(int row) const
{
    QStyleOptionViewItem opt;
    initViewItemOption(&opt);
    opt.rect = visualRect(m_rows.index(row));
    opt.features |= QStyleOptionViewItem::HasCheckIndicator;
    opt.index = m_rows.index(row);
    return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, this);
}
