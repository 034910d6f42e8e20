#include "displaypreparation.h"

#include "configurationmanager.h"
#include "displaydialog.h"
#include "displayrecord.h"
#include "modalprompt.h"
#include "sessiondatabase.h"
#include "translator.h"

namespace {

const QString AcceptanceType = QStringLiteral("acceptance");

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QString::fromLatin1(key));
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
    QString key = display.key();
    SessionDatabase *database = m_store->database();
    if (!key.isEmpty()) {
        display = database->display(key).value_or(display);
    } else if (const QList<DisplayRecord> known = database->displays(); !known.isEmpty()) {
        // A screen that names itself nowhere may still be a display tested
        // before, whose identity the operator typed then.
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
        // A display known by the answers alone is stored with its first session.
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
    outcome.prefill = m_store->latestSessionResults(key);
    return outcome;
}
