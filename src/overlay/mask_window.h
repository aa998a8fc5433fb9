#pragma once
// The overlay window itself: a frameless, black, non-activating tool window, owned by the
// covered window, drawn at overlayAlpha/255 opacity and transparent to mouse input.

#include <QWidget>

namespace overlay::detail {

class MaskWindow final : public QWidget {
public:
    explicit MaskWindow(QWidget* coveredWindow);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool passToCoveredWindow(QEvent* event);
};

} // namespace overlay::detail
