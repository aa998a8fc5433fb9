#pragma once
// A tab control whose pages cover the whole control, tab strip included, so a page's children
// are placed relative to the control itself, as the layout gives them.

#include <QString>
#include <QWidget>

#include <vector>

class QTabBar;

namespace app {

class TabControl final : public QWidget {
public:
    explicit TabControl(QWidget* parent);

    QWidget* addPage(const QString& caption);
    int count() const { return static_cast<int>(m_pages.size()); }
    QWidget* page(int index) const;
    QString pageCaption(int index) const;
    int currentIndex() const;
    void setCurrentIndex(int index);
    QTabBar* tabBar() const { return m_bar; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void showPage(int index);
    void placeChildren();

    QTabBar* m_bar;
    std::vector<QWidget*> m_pages;
};

} // namespace app
