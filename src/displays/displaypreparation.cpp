#include "displaypreparation.h"

#include "configurationmanager.h"
#include "displaydialog.h"
#include "displayrecord.h"
#include "modalprompt.h"
#include "sessiondatabase.h"
#include "translator.h"
#include "workstationpeers.h"

namespace {

const QString AcceptanceType = QStringLiteral("acceptance");

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QString::fromLatin1(key));
}

// The known displays that agree with everything the screen tells of itself.
QList<DisplayRecord> candidates(const QList<DisplayRecord> &known, const DisplayRecord &screen)
{
    QList<DisplayRecord> matching;
    const auto agrees = [](const QString &told, const QString &stored) { return told.isEmpty() || told == stored; };
    for (const DisplayRecord &display : known) {
        if (agrees(screen.maker, display.maker) && agrees(screen.model, display.model) &&
            agrees(screen.serial, display.serial))
            matching << display;
    }
    return matching;
}

} // namespace

DisplayPreparation::DisplayPreparation(ConfigurationManager *store, QWidget *parent)
    : m_store(store), m_parent(parent)
{
}

std::optional<DisplayPreparation::Outcome> DisplayPreparation::prepare(const ScreenIdentity::Identity &screen,
                                                                       const QString &testType) const
{
    DisplayRecord display;
    display.maker = screen.manufacturer;
    display.model = screen.model;
    display.serial = screen.serialNumber;
    // The session names its display by what the screen tells and, for what it
    // does not, by the operator's answers: a screen without serial number, say,
    // is one of the displays of its model tested before, or another one.
    const bool toldEverything = !display.maker.isEmpty() && !display.model.isEmpty() && !display.serial.isEmpty();
    QString key = toldEverything ? display.key() : QString();
    SessionDatabase *database = m_store->database();
    if (toldEverything) {
        display = database->display(key).value_or(display);
    } else if (const QList<DisplayRecord> known = candidates(database->displays(), display); !known.isEmpty()) {
        QStringList items;
        for (const DisplayRecord &candidate : known)
            items << candidate.description();
        items << translated("displays_another");
        const QString chosen = ModalPrompt::chooseItem(m_parent, QStringLiteral(" "), translated("displays_which"),
                                                       items, translated("ok"), translated("cancel"));
        if (chosen.isNull())
            return std::nullopt;
        const int index = items.indexOf(chosen);
        if (index >= 0 && index < known.size()) {
            display = known.at(index);
            key = display.key();
        }
    }

    if (!display.isClassified()) {
        const QString name = display.description();
        DisplayDialog dialog(name.isEmpty() ? translated("displays_newDisplay") : name, display.category,
                             display.roomClass, m_parent);
        if (ModalPrompt::exec(&dialog) != QDialog::Accepted)
            return std::nullopt;
        display.category = dialog.category();
        display.roomClass = dialog.roomClass();
        display.classifiedOn = QDate::currentDate();
        // A display known partly by the answers is stored with its first session.
        if (!key.isEmpty())
            m_store->classifyDisplay(display.identity(), display.category, display.roomClass);
    }

    Outcome outcome;
    outcome.context.testType = testType;
    if (testType != AcceptanceType && !display.hasReference()) {
        const int answer = ModalPrompt::question(
            m_parent, QMessageBox::Question, translated("displays_noReferenceTitle"),
            translated("displays_offerAcceptance"),
            {{translated("displays_asAcceptance"), QMessageBox::AcceptRole},
             {translated("displays_keepType"), QMessageBox::RejectRole}},
            0);
        if (answer == 0)
            outcome.context.testType = AcceptanceType;
    }
    outcome.context.category = display.category;
    outcome.context.roomClass = display.roomClass;
    outcome.context.classifiedOn = display.classifiedOn.toString(Qt::ISODate);
    outcome.context.reference = display.reference;
    outcome.context.referenceDate = display.referenceDate.toString(Qt::ISODate);
    outcome.context.referenceSession = display.referenceSession;
    outcome.context.referenceMeter = display.referenceMeter;
    outcome.context.referenceChoice = display.referenceChoice;
    outcome.context.workstation = WorkstationPeers::of(*database, display);
    outcome.prefill = m_store->latestSessionResults(key);
    outcome.prefillDate = outcome.prefill.isEmpty() ? QDateTime() : display.lastTested;
    return outcome;
}
