#pragma once

#include "meterfield.h"
#include "metersettings.h"

#include <QLineEdit>
#include <QList>
#include <QObject>
#include <QPointer>

class MeasureAllRun;
class MeterPanel;
class MeterReader;
class QGridLayout;
class QPushButton;
class Test;
class TestContent;
class TestInputDialog;
struct MeterReply;

// Lets the meter answer the questions it can answer: a "Measure" button beside
// each such field of the questions dialog, the meter's strip below the fields,
// and the series of readings that "Measure all" runs. Without a meter set up it
// adds nothing, and typing stays as it was.
class MeterAssist : public QObject
{
    Q_OBJECT

public:
    explicit MeterAssist(TestInputDialog *dialog);
    ~MeterAssist() override;

    MeterPanel *panel() const { return m_panel; }
    MeasureAllRun *run() const { return m_run; }
    const MeterSettings &settings() const { return m_settings; }

    // Puts a measure button beside the answer field when the meter can give the answer.
    void attach(const Test *test, TestContent *content, QWidget *input, QGridLayout *layout, int row);
    // The shown test's field of a series reading (a TG18-LN level or a uniformity field).
    bool showsSeriesField() const;
    bool measureSeriesField();
    bool isReading() const;
    void cancelReading();

Q_SIGNALS:
    // The meter is asked now; what the screen shows is what it reads.
    void readingStarted();
    // After every reading: stored, or the reason why not.
    void readingFinished(bool stored, const QString &value, const QString &message);

private:
    struct Field
    {
        TestContent *content;
        QPointer<QLineEdit> input;
        MeterField::Kind kind;
    };

    void testShown();
    void measure(const Field &field);
    void readingDone(const MeterReply &reply);
    bool askForDarkScreen();
    void coverScreen();
    void uncoverScreen();
    void enableButtons(bool enabled);

    TestInputDialog *m_dialog;
    MeterPanel *m_panel;
    MeasureAllRun *m_run;
    MeterSettings m_settings;
    QList<Field> m_fields;
    QList<QPointer<QPushButton>> m_buttons;
    MeterReader *m_reader = nullptr;
    Field m_reading{nullptr, nullptr, MeterField::None};
    QPointer<QWidget> m_cover;
};
