#include "app/list_model.h"

#include "overlay/gui_call.h"

#include "app/qt_text.h"

#include <QGuiApplication>
#include <QPalette>

namespace app {

ListModel::ListModel(QStringList headers, bool checkable, QObject* parent)
    : QAbstractTableModel(parent), m_headers(std::move(headers)), m_checkable(checkable),
      m_store(static_cast<int>(m_headers.size())) {
    m_catchUpTimer.setSingleShot(true);
    m_catchUpTimer.setInterval(kCatchUpInterval);
    connect(&m_catchUpTimer, &QTimer::timeout, this, &ListModel::catchUp);
    m_store.setOnFirstChange([this] {
        overlay::postToGuiThread(this, [this] {
            if (!m_catchUpTimer.isActive()) {
                m_catchUpTimer.start();
            }
        });
    });
}

void ListModel::catchUp() {
    m_catchUpTimer.stop();
    const ListStore::Pending pending = m_store.takePending();
    for (const ListStore::Change& change : pending.structure) {
        switch (change.kind) {
        case ListStore::Change::Kind::Append:
            beginInsertRows({}, m_viewRows, m_viewRows + change.count - 1);
            m_viewRows += change.count;
            endInsertRows();
            break;
        case ListStore::Change::Kind::Remove:
            if (change.row < m_viewRows) {
                beginRemoveRows({}, change.row, change.row);
                --m_viewRows;
                endRemoveRows();
            }
            break;
        case ListStore::Change::Kind::Reset:
            beginResetModel();
            m_viewRows = pending.rowCount;
            endResetModel();
            break;
        }
    }
    if (m_viewRows != pending.rowCount) {
        // Cannot happen when the journal is complete; keep the view honest regardless.
        beginResetModel();
        m_viewRows = pending.rowCount;
        endResetModel();
    }
    if (pending.cellsChanged && m_viewRows > 0) {
        emit dataChanged(index(0, 0), index(m_viewRows - 1, columnCount() - 1));
    }
}

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_viewRows;
}

int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return toQString(m_store.cell(index.row(), index.column()));
    }
    if (role == Qt::ForegroundRole && m_store.isGreyed(index.row())) {
        return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
    }
    if (role == Qt::CheckStateRole && m_checkable && index.column() == 0) {
        return static_cast<int>(m_store.checkState(index.row()) == 1 ? Qt::Checked : Qt::Unchecked);
    }
    return {};
}

bool ListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !m_checkable || index.column() != 0 ||
        index.row() >= m_store.rowCount()) {
        return false;
    }
    m_store.setCheckState(index.row(), value.toInt() == Qt::Checked ? 1 : 0);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags result = QAbstractTableModel::flags(index);
    if (m_checkable && index.isValid() && index.column() == 0) {
        result |= Qt::ItemIsUserCheckable;
    }
    return result;
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_headers.size()) {
        return m_headers[section];
    }
    return {};
}

} // namespace app
