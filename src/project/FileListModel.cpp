#include "project/FileListModel.h"
#include "project/RowRules.h"

namespace wf {

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row &row = m_rows[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        return row.text;
    case Qt::CheckStateRole:
        return row.ticked ? Qt::Checked : Qt::Unchecked;
    default:
        return {};
    }
}

bool FileListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid())
        return false;
    setSelected(index.row(), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags FileListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

void FileListModel::setSelected(int row, bool ticked)
{
    if (row < 0 || row >= m_rows.size() || m_rows[row].ticked == ticked)
        return;
    m_rows[row].ticked = ticked;
    m_selected += ticked ? 1 : -1;
    const QModelIndex i = index(row);
    emit dataChanged(i, i, {Qt::CheckStateRole});
    emit itemCheck(row);
}

QVector<int> FileListModel::addItems(QStringList texts)
{
    QVector<int> landed(texts.size());
    if (texts.isEmpty())
        return landed;
    // Rows already listed keep their ticks; new rows arrive unticked. The
    // texts move into the rows: a list of its own (one passed as a
    // temporary) is not copied.
    const qsizetype firstOld = texts.size();
    QStringList all = std::move(texts);
    for (const Row &r : std::as_const(m_rows))
        all.append(r.text);
    QVector<Row> rows;
    rows.reserve(all.size());
    const auto order = sortedOrder(all);
    for (int i : order) {
        if (i < firstOld)
            landed[i] = int(rows.size());
        rows.append(Row{std::move(all[i]), i >= firstOld && m_rows[i - firstOld].ticked});
    }
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
    return landed;
}

QStringList FileListModel::texts() const
{
    QStringList out;
    out.reserve(m_rows.size());
    for (const Row &r : m_rows)
        out.append(r.text);
    return out;
}

} // namespace wf
