#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class MeterPanel;
}

// The meter's strip in the questions dialog: "Measure all" and, while a series
// runs, pause, repeat and stop, with the progress, the last values and the
// meter's messages.
class MeterPanel : public QWidget
{
    Q_OBJECT

public:
    explicit MeterPanel(QWidget *parent = nullptr);
    ~MeterPanel() override;

    void showSeriesControls(bool canStart, bool running);
    void setProgress(const QString &text);
    void setValues(const QString &text);
    void setMessage(const QString &text, bool problem);
    void clearTexts();
    bool isPaused() const;
    void setPaused(bool paused);

Q_SIGNALS:
    void measureAllClicked();
    void pauseToggled(bool paused);
    void repeatClicked();
    void stopClicked();

private:
    std::unique_ptr<Ui::MeterPanel> m_ui;
};
