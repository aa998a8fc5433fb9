#pragma once
// The busy animation: a looping GIF that plays only while the picture is shown, so a hidden
// picture costs no CPU. Whoever needs it (a pool refresh, a wait for the service) holds it, and
// it shows while anyone does: one that ends never hides it under another that still runs.

#include <QLabel>
#include <QMovie>

namespace app {

class BusyPicture final : public QLabel {
public:
    explicit BusyPicture(QWidget* parent);
    QMovie& movie() { return m_movie; }

    void hold();
    // Gives back one hold; a release without a hold only hides the picture.
    void release();
    int holders() const { return m_holders; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QMovie m_movie;
    int m_holders = 0;
};

} // namespace app
