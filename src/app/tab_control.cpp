#include "app/tab_control.h"

#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QTabBar>

namespace app {

TabControl::TabControl(QWidget* parent) : QWidget(parent), m_bar(new QTabBar(this)) {
    m_bar->setDrawBase(false);
    m_bar->setExpanding(false);
    connect(m_bar, &QTabBar::currentChanged, this, &TabControl::showPage);
}

QWidget* TabControl::addPage(const QString& caption) {
    auto* page = new QWidget(this);
    m_pages.push_back(page);
    m_bar->addTab(caption);
    m_bar->raise();
    placeChildren();
    showPage(m_bar->currentIndex());
    return page;
}

QWidget* TabControl::page(int index) const {
    return index >= 0 && index < count() ? m_pages[static_cast<std::size_t>(index)] : nullptr;
}

QString TabControl::pageCaption(int index) const {
    return m_bar->tabText(index);
}

int TabControl::currentIndex() const {
    return m_bar->currentIndex();
}

void TabControl::setCurrentIndex(int index) {
    m_bar->setCurrentIndex(index);
}

void TabControl::showPage(int index) {
    for (int i = 0; i < count(); ++i) {
        m_pages[static_cast<std::size_t>(i)]->setVisible(i == index);
    }
}

void TabControl::placeChildren() {
    m_bar->setGeometry(0, 0, width(), m_bar->sizeHint().height());
    for (QWidget* page : m_pages) {
        page->setGeometry(rect());
    }
}

void TabControl::resizeEvent(QResizeEvent*) {
    placeChildren();
}

void TabControl::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(0, m_bar->height() - 1, 0, 0);
    frame.tabBarSize = m_bar->size();
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
}

} // namespace app
