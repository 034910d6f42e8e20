#include "meterassist.h"

#include "canvaswidget.h"
#include "dialogplacement.h"
#include "localformats.h"
#include "measureallrun.h"
#include "meterpanel.h"
#include "meterplace.h"
#include "meterreader.h"
#include "modalprompt.h"
#include "readingsource.h"
#include "test.h"
#include "testcontent.h"
#include "testframe.h"
#include "testinputdialog.h"
#include "testpattern.h"
#include "translator.h"

#include <QDateTime>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

namespace {

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QLatin1String(key));
}

} // namespace

MeterAssist::MeterAssist(TestInputDialog *dialog)
    : QObject(dialog), m_dialog(dialog), m_panel(new MeterPanel(dialog)), m_run(new MeasureAllRun(dialog, this))
{
    m_panel->hide();
    connect(dialog, &TestInputDialog::testChanged, this, &MeterAssist::testShown);
    connect(m_panel, &MeterPanel::measureAllClicked, m_run, &MeasureAllRun::start);
    connect(m_panel, &MeterPanel::pauseToggled, m_run, &MeasureAllRun::setPaused);
    connect(m_panel, &MeterPanel::repeatClicked, m_run, &MeasureAllRun::repeat);
    connect(m_panel, &MeterPanel::stopClicked, m_run, &MeasureAllRun::stop);
    // A wrapped message is taller than the line the dialog had room for.
    connect(m_panel, &MeterPanel::textsChanged, m_dialog, [this] {
        if (m_dialog->layout())
            m_dialog->layout()->activate();
        m_dialog->adjustSize();
    });
}

MeterAssist::~MeterAssist()
{
    // The dialog goes with its helper; only the cover on the frame is left to remove.
    delete m_cover;
}

void MeterAssist::attach(const Test *test, TestContent *content, QWidget *input, QGridLayout *layout, int row)
{
    auto *line = qobject_cast<QLineEdit *>(input);
    const MeterField::Kind kind = MeterField::kindOf(test, content);
    if (!line || kind == MeterField::None)
        return;
    // Read anew for every field, so settings changed during a session count at once.
    m_settings = MeterSettings::load();
    if (!m_settings.isConfigured())
        return;
    auto *button = new QPushButton(translated("meter_measure"), input->parentWidget());
    button->setObjectName(QStringLiteral("measurePushButton"));
    button->setProperty("defaultText", QStringLiteral("meter_measure"));
    layout->addWidget(button, row, 1);
    button->show();
    const Field field{content, line, kind};
    m_fields.append(field);
    m_buttons.append(button);
    connect(button, &QPushButton::clicked, this, [this, field] { measure(field); });
    button->setEnabled(!isReading());
}

void MeterAssist::testShown()
{
    // The fields of the previous test are gone with their rows; a reading still
    // running for one of them has nowhere to go.
    if (m_reading.content && !m_reading.input)
        cancelReading();
    QList<Field> shown;
    for (const Field &field : qAsConst(m_fields)) {
        if (field.input)
            shown.append(field);
    }
    m_fields = shown;
    m_buttons.removeAll(nullptr);
    m_panel->setVisible(!m_fields.isEmpty());
    if (!m_run->isRunning())
        m_panel->clearTexts();
    m_run->testShown();
    m_dialog->adjustSize();
}

bool MeterAssist::showsSeriesField() const
{
    for (const Field &field : m_fields) {
        if (field.input && field.kind == MeterField::PatternLuminance)
            return true;
    }
    return false;
}

bool MeterAssist::measureSeriesField()
{
    for (const Field &field : qAsConst(m_fields)) {
        if (field.input && field.kind == MeterField::PatternLuminance) {
            measure(field);
            return isReading();
        }
    }
    return false;
}

bool MeterAssist::isReading() const
{
    return m_reader != nullptr;
}

void MeterAssist::cancelReading()
{
    if (!m_reader)
        return;
    m_reader->cancel();
    m_reader->deleteLater();
    m_reader = nullptr;
    m_reading = {nullptr, nullptr, MeterField::None};
    restoreScreen();
    enableButtons(true);
}

int MeterAssist::placeOf(const Test *test)
{
    using NSTESTPatter::TestPattern;
    const TestPattern pattern(nullptr, test ? TestPattern::typeFromString(test->patternString())
                                            : TestPattern::kTestPatternUnknown);
    if (pattern.type() >= TestPattern::kTestPatternTG18LN01 && pattern.type() <= TestPattern::kTestPatternTG18LN18)
        return MeterPlace::Tg18LnPatch;
    const int position = pattern.measuredPosition();
    return MeterPlace::isField(position) ? position : MeterPlace::Unknown;
}

void MeterAssist::askForPlacement(int place)
{
    m_panel->askForPlacement(MeterPlace::request(place));
    m_dialog->showMeterPanelOnly(true);
    CanvasWidget *shown = canvas();
    if (shown && MeterPlace::isField(place))
        shown->setOutlined(shown->pattern()->judgedRegions(shown->deviceSize()));
    if (auto *frame = qobject_cast<TestFrame *>(m_dialog->parentWidget()))
        frame->moveInputDialogClear();
}

void MeterAssist::endPlacement()
{
    m_panel->endPlacement();
    m_dialog->showMeterPanelOnly(false);
    if (CanvasWidget *shown = canvas())
        shown->setOutlined({});
}

CanvasWidget *MeterAssist::canvas() const
{
    QWidget *frame = m_dialog->parentWidget();
    return frame ? frame->findChild<CanvasWidget *>(QStringLiteral("canvasWidget")) : nullptr;
}

void MeterAssist::measure(const Field &field)
{
    if (isReading() || !field.input)
        return;
    if (field.kind == MeterField::AmbientLuminance && !askForDarkScreen())
        return;
    m_reading = field;
    m_readingPlace = placeOf(m_dialog->test());
    clearScreenFor(field.kind);
    m_reader = new MeterReader(m_settings, this);
    connect(m_reader, &MeterReader::finished, this, &MeterAssist::readingDone);
    enableButtons(false);
    m_panel->setMessage(translated("meter_reading"), false);
    emit readingStarted();
    m_reader->start(MeterField::quantityOf(field.kind));
}

void MeterAssist::readingDone(const MeterReply &reply)
{
    const Field field = m_reading;
    m_reader->deleteLater();
    m_reader = nullptr;
    m_reading = {nullptr, nullptr, MeterField::None};
    restoreScreen();
    enableButtons(true);
    if (!field.input) {
        emit readingFinished(false, QString(), translated("meter_notAccepted"));
        return;
    }
    if (!reply.ok) {
        m_panel->setMessage(reply.message, true);
        emit readingFinished(false, QString(), reply.message);
        return;
    }
    const QString value = ReadingSource::valueText(reply.value);
    field.input->setText(LocalFormats::reading(value));
    field.input->setStyleSheet(QString());
    const QVariantMap source =
        ReadingSource::fromMeter(value, reply, m_settings, QDateTime::currentDateTime(), m_readingPlace);
    field.content->setReadingSource(source);
    m_panel->setMessage(QString(), false);
    emit readingFinished(true, value, QString());
}

bool MeterAssist::askForDarkScreen()
{
    const int choice =
        ModalPrompt::question(m_dialog, QMessageBox::Information, translated("meter_title"),
                              translated("meter_ambientPrompt"),
                              {{translated("meter_displayOff"), QMessageBox::AcceptRole},
                               {translated("meter_useBlack"), QMessageBox::AcceptRole},
                               {translated("cancel"), QMessageBox::RejectRole}});
    if (choice != 0 && choice != 1)
        return false;
    return true;
}

void MeterAssist::clearScreenFor(MeterField::Kind kind)
{
    QWidget *frame = m_dialog->parentWidget();
    // Black either way: a display that stays on adds as little light as it can.
    if (kind == MeterField::AmbientLuminance && frame && !m_cover) {
        m_cover = new QWidget(frame);
        m_cover->setObjectName(QStringLiteral("meterBlackCover"));
        m_cover->setStyleSheet(QStringLiteral("background-color: black;"));
        m_cover->setAttribute(Qt::WA_StyledBackground);
        m_cover->setGeometry(frame->rect());
        m_cover->show();
        m_cover->raise();
        // Painted before the meter is asked, not at the event loop's next turn.
        m_cover->repaint();
    }
    const bool inTheWay = kind == MeterField::AmbientLuminance || dialogCoversMeasuredPlace();
    if (inTheWay && m_dialog->isVisible()) {
        m_dialogHidden = true;
        m_dialog->hide();
    }
}

void MeterAssist::restoreScreen()
{
    delete m_cover;
    if (m_dialogHidden) {
        m_dialogHidden = false;
        m_dialog->show();
    }
}

bool MeterAssist::dialogCoversMeasuredPlace() const
{
    const CanvasWidget *shown = canvas();
    if (!shown)
        return false;
    QVector<QRect> measured = shown->pattern()->judgedRegions(shown->size());
    for (QRect &region : measured)
        region.translate(shown->mapToGlobal(QPoint()));
    return DialogPlacement::coveredArea(m_dialog->frameGeometry(), measured) > 0;
}

void MeterAssist::enableButtons(bool enabled)
{
    for (const QPointer<QPushButton> &button : qAsConst(m_buttons)) {
        if (button)
            button->setEnabled(enabled);
    }
}
