#pragma once

#include "meterfield.h"
#include "metersettings.h"

#include <QLineEdit>
#include <QList>
#include <QObject>
#include <QPointer>

class CanvasWidget;
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
    // Where the meter sits for the test's reading (see MeterPlace).
    static int placeOf(const Test *test);
    // Asks the operator to put the meter there, with the field outlined and the
    // dialog shrunk to the request and moved off the field.
    void askForPlacement(int place);
    void endPlacement();

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
    // Nothing of the program is on the place being read: the black cover and no
    // dialog for the ambient luminance, no dialog over a measured field.
    void clearScreenFor(MeterField::Kind kind);
    void restoreScreen();
    bool dialogCoversMeasuredPlace() const;
    CanvasWidget *canvas() const;
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
    int m_readingPlace = -1;
    bool m_dialogHidden = false;
};
