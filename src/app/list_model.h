#pragma once
// A list view's model over its ListStore. Any thread changes the store at once; the view is told
// what changed at most every kCatchUpInterval, on the GUI thread, so a worker filling thousands
// of rows never waits for a repaint.

#include "app/list_store.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QTimer>

#include <chrono>

namespace app {

class ListModel final : public QAbstractTableModel {
public:
    static constexpr std::chrono::milliseconds kCatchUpInterval{30};

    ListModel(QStringList headers, bool checkable, QObject* parent);

    ListStore& store() { return m_store; }

    // Replays the store's journal to the view now (GUI thread).
    void catchUp();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const QStringList m_headers;
    const bool m_checkable;
    ListStore m_store;
    QTimer m_catchUpTimer;
    // Rows the view has been told about; GUI thread only.
    int m_viewRows = 0;
};

} // namespace app
