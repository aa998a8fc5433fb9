#pragma once
// The busy animation: a looping GIF that plays only while the picture is shown, so a hidden
// picture costs no CPU.

#include <QLabel>
#include <QMovie>

namespace app {

class BusyPicture final : public QLabel {
public:
    explicit BusyPicture(QWidget* parent);
    QMovie& movie() { return m_movie; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QMovie m_movie;
};

} // namespace app
