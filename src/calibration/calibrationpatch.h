#pragma once

#include <QWidget>

// The window the meter reads during a calibration: a TG18-LN pattern whose
// patch shows the driving level being measured, over the whole screen of the
// display under test and above every other window, the calibration's dialog
// too; black while the ambient luminance is measured. Escape asks to cancel.
class CalibrationPatch : public QWidget
{
    Q_OBJECT

public:
    static constexpr int black = -1;

    explicit CalibrationPatch(int screenIndex);

    int level() const { return m_level; }
    void showLevel(int level);

Q_SIGNALS:
    void cancelRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    int m_level = black;
};
