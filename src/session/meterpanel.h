#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class MeterPanel;
}

// The meter's strip in the questions dialog: "Measure all" and, while a series
// runs, pause, repeat and stop, with the progress, the last values and the
// meter's messages; before a reading at another place, the request to move the meter there.
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
    // Asks the operator to move the meter; the reading waits for the button or Space.
    void askForPlacement(const QString &request);
    void endPlacement();
    bool isAskingForPlacement() const;

Q_SIGNALS:
    void measureAllClicked();
    void pauseToggled(bool paused);
    void repeatClicked();
    void stopClicked();
    void placementConfirmed();
    // A text came, changed or went: the dialog finds room for it.
    void textsChanged();

private:
    std::unique_ptr<Ui::MeterPanel> m_ui;
};
