#include "calibrationdialog.h"
#include "ui_calibrationdialog.h"

#include "calibrationpatch.h"
#include "calibrationrun.h"
#include "configurationmanager.h"
#include "localformats.h"
#include "sessiondatabase.h"
#include "translator.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace {

const QString CalibrationType = QStringLiteral("calibration");
const QString CalFolder = QStringLiteral("calibrations");

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QLatin1String(key));
}

// Beside the database, one file per calibration, named after its moment.
QString calFilePath(const ConfigurationManager *store)
{
    QDir folder = QFileInfo(store->databaseFileName()).dir();
    folder.mkpath(CalFolder);
    const QString name =
        QStringLiteral("gsdf-%1.cal").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    return folder.filePath(CalFolder + QLatin1Char('/') + name);
}

QString levelsText(const GsdfLookupTable &table)
{
    QString text = translated("calibration_levelsRemain").arg(table.distinctOutputs()).arg(GsdfLookupTable::size);
    const QVector<int> unused = table.unusedTopLevels();
    if (!unused.isEmpty())
        text +=
            QLatin1Char(' ') + translated("calibration_unusedLevels").arg(unused.constFirst()).arg(unused.constLast());
    return text;
}

} // namespace

CalibrationDialog::CalibrationDialog(ConfigurationManager *store, const DisplayRecord &display, const Choices &choices,
                                     QWidget *parent)
    : QDialog(parent), m_ui(new Ui::CalibrationDialog), m_store(store), m_display(display), m_choices(choices)
{
    m_ui->setupUi(this);
    TR::Translator::instance()->translateObject(this, true);
    setWindowTitle(translated("calibration_title"));
    m_ui->displayLabel->setText(display.description());
    const CalibrationRun::Target target{choices.screenIndex, display.category, display.roomClass, calFilePath(store)};
    m_run = new CalibrationRun(choices.meter, choices.calibration, target, this, this);
    connect(m_run, &CalibrationRun::progress, m_ui->progressLabel, &QLabel::setText);
    connect(m_run, &CalibrationRun::judged, this, &CalibrationDialog::showJudged);
    connect(m_run, &CalibrationRun::finished, this, &CalibrationDialog::showFinished);
    connect(m_ui->keepPushButton, &QPushButton::clicked, m_run, &CalibrationRun::keep);
    connect(m_ui->discardPushButton, &QPushButton::clicked, m_run, &CalibrationRun::discard);
    connect(m_ui->closePushButton, &QPushButton::clicked, this, &CalibrationDialog::reject);
    connect(m_run->patch(), &CalibrationPatch::cancelRequested, this, &CalibrationDialog::reject);
    for (QPushButton *button : {m_ui->keepPushButton, m_ui->discardPushButton})
        connect(button, &QPushButton::clicked, this, [this] {
            m_ui->keepPushButton->setEnabled(false);
            m_ui->discardPushButton->setEnabled(false);
        });
}

CalibrationDialog::~CalibrationDialog() = default;

void CalibrationDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    QTimer::singleShot(0, m_run, &CalibrationRun::start);
}

void CalibrationDialog::showJudged(bool passed, const QString &message)
{
    m_judged = true;
    m_ui->progressLabel->clear();
    m_ui->resultLabel->setText(message);
    if (m_run->table().isValid())
        m_ui->levelsLabel->setText(levelsText(m_run->table()));
    m_ui->keepPushButton->setEnabled(passed);
    m_ui->discardPushButton->setEnabled(true);
    if (m_closeWhenDone)
        m_run->discard();
}

void CalibrationDialog::showFinished(bool kept, const QString &message)
{
    m_ui->progressLabel->clear();
    m_ui->closePushButton->setText(translated("calibration_close"));
    QString text = message;
    // A run that measured nothing leaves nothing to record.
    if (m_judged) {
        SessionDatabase *database = m_store->database();
        const QString installed = kept ? QString::fromUtf8(m_run->calFileText()) : QString();
        m_record = buildRecord();
        if (database && database->addCalibrationSession(m_record, installed, &m_storedSession))
            text += QLatin1Char('\n') + translated("calibration_recorded");
        else
            text += QLatin1Char('\n') +
                    translated("calibration_notRecorded").arg(database ? database->errorString() : QString());
    }
    m_ui->resultLabel->setText(text);
    if (m_closeWhenDone)
        QDialog::reject();
}

QVariantMap CalibrationDialog::buildRecord() const
{
    QVariantMap display = m_display.identity();
    display.insert(QStringLiteral("category"), m_display.category);
    display.insert(QStringLiteral("roomClass"), m_display.roomClass);
    return {{QStringLiteral("testtype"), CalibrationType},
            // A display never tested before has no known tester; the store keeps that as an empty name.
            {QStringLiteral("tester"), m_choices.tester},
            {QStringLiteral("date"), QDateTime::currentDateTime()},
            {QStringLiteral("ntest"), 1},
            {QStringLiteral("nfailedtestcontents"), m_run->passed() ? 0 : 1},
            {QStringLiteral("monitorselected"), m_choices.screenIndex},
            {QStringLiteral("monitorinfo"), m_choices.monitorInfo},
            {QStringLiteral("display"), display},
            {QStringLiteral("calibration"), m_run->record()}};
}

void CalibrationDialog::reject()
{
    if (m_run->stage() == CalibrationRun::NotStarted || m_run->stage() == CalibrationRun::Finished) {
        QDialog::reject();
        return;
    }
    // The display's calibration is unloaded before the dialog goes.
    m_closeWhenDone = true;
    if (m_run->stage() == CalibrationRun::Judged)
        m_run->discard();
    else
        m_run->cancel();
}
