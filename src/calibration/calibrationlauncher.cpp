#include "calibrationlauncher.h"

#include "calibrationdialog.h"
#include "configurationmanager.h"
#include "judgement.h"
#include "modalprompt.h"
#include "screenidentity.h"
#include "sessiondatabase.h"
#include "translator.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

namespace {

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QLatin1String(key));
}

bool gsdfFailed(const QVariantMap &details)
{
    const Judgement judgement = Judgement::fromMap(details.value(QStringLiteral("judgement")).toMap());
    for (const Judgement::Verdict &verdict : judgement.verdicts) {
        if (verdict.quantity == QLatin1String("gsdfDeviation"))
            return !verdict.passed;
    }
    return false;
}

} // namespace

CalibrationLauncher::CalibrationLauncher(ConfigurationManager *store, QWidget *parent)
    : m_store(store), m_parent(parent)
{
}

bool CalibrationLauncher::isOffered() const
{
    QSettings settings(m_store->fileName(), QSettings::IniFormat);
    return CalibrationSettings::load(settings).isConfigured();
}

int CalibrationLauncher::chooseScreen(const DisplayRecord &display) const
{
    const ScreenIdentity screens;
    QStringList items;
    QList<int> matching;
    for (int index = 0; index < QGuiApplication::screens().size(); ++index) {
        const ScreenIdentity::Identity identity = screens.identity(index);
        if (DisplayRecord::fromIdentity({{QStringLiteral("maker"), identity.manufacturer},
                                         {QStringLiteral("model"), identity.model},
                                         {QStringLiteral("serial"), identity.serialNumber}})
                .key() == display.key())
            matching << index;
        items << QStringLiteral("%1: %2").arg(index + 1).arg(ScreenIdentity::description(identity));
    }
    if (matching.size() == 1)
        return matching.constFirst();
    const QString chosen =
        ModalPrompt::chooseItem(m_parent, display.description(), translated("calibration_chooseScreen"), items,
                                translated("ok"), translated("cancel"));
    return chosen.isNull() ? -1 : items.indexOf(chosen);
}

QString CalibrationLauncher::testerOf(const DisplayRecord &display) const
{
    const qint64 newest = m_store->database()->newestSessionId(display.key());
    return newest == 0 ? QString()
                       : m_store->database()->sessionRecord(newest).value(QStringLiteral("tester")).toString();
}

bool CalibrationLauncher::calibrate(const DisplayRecord &display, int screenIndex) const
{
    if (!isOffered() || !m_store->database())
        return false;
    if (screenIndex < 0)
        screenIndex = chooseScreen(display);
    if (screenIndex < 0)
        return false;
    QSettings settings(m_store->fileName(), QSettings::IniFormat);
    CalibrationDialog::Choices choices;
    choices.meter = MeterSettings::load(settings);
    choices.calibration = CalibrationSettings::load(settings);
    choices.screenIndex = screenIndex;
    choices.monitorInfo = ScreenIdentity::description(ScreenIdentity().identity(screenIndex));
    choices.tester = testerOf(display);
    CalibrationDialog dialog(m_store, display, choices, m_parent);
    ModalPrompt::exec(&dialog);
    return true;
}

bool CalibrationLauncher::offerAfter(const QVariantMap &sessionDetails, int screenIndex) const
{
    if (!isOffered() || !m_store->database() || !gsdfFailed(sessionDetails))
        return false;
    const QString key = DisplayRecord::key(sessionDetails.value(QStringLiteral("display")).toMap());
    const std::optional<DisplayRecord> display = m_store->database()->display(key);
    if (key.isEmpty() || !display)
        return false;
    const int choice = ModalPrompt::question(m_parent, QMessageBox::Question, translated("calibration_title"),
                                             translated("calibration_offer"),
                                             {{translated("calibration_calibrate"), QMessageBox::AcceptRole},
                                              {translated("calibration_later"), QMessageBox::RejectRole}});
    return choice == 0 && calibrate(*display, screenIndex);
}
