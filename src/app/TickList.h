#pragma once
#include "project/FileListModel.h"
#include <QListView>

// The file list: a tick box per row, rows in case-insensitive order. Ticks
// are the rows' "Selected" flags; ListIndex is the current (highlighted) row.
class TickList : public QListView {
    Q_OBJECT
public:
    explicit TickList(QWidget *parent = nullptr);

    int ListCount() const { return m_rows.count(); }
    QString List(int row) const { return m_rows.text(row); }
    bool Selected(int row) const { return m_rows.isSelected(row); }
    void setSelected(int row, bool ticked) { m_rows.setSelected(row, ticked); }
    int ListIndex() const { return currentIndex().isValid() ? currentIndex().row() : -1; }
    void setListIndex(int row);
    QVector<int> AddItems(QStringList texts) { return m_rows.addItems(std::move(texts)); }

    wf::FileListModel &rows() { return m_rows; }
    // The rectangle of a row's tick box, for clicking it.
    QRect tickRect(int row) const;

signals:
    void itemCheck(int row);

private:
    wf::FileListModel m_rows;
};
