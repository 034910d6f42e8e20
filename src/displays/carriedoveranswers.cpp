#include "carriedoveranswers.h"

#include "localformats.h"
#include "modalprompt.h"
#include "translator.h"

#include <algorithm>

namespace {

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QString::fromLatin1(key));
}

} // namespace

QList<unsigned> CarriedOverAnswers::confirm(QWidget *parent, const QList<unsigned> &carriedOver,
                                            const QVariantMap &latest, const QDateTime &latestDate)
{
    const bool allThere = std::all_of(carriedOver.cbegin(), carriedOver.cend(),
                                      [&latest](unsigned group) { return latest.contains(QString::number(group)); });
    if (carriedOver.isEmpty() || !allThere || !latestDate.isValid())
        return {};
    const int answer =
        ModalPrompt::question(parent, QMessageBox::Question, translated("plan_carriedOverTitle"),
                              translated("plan_unchangedSince").arg(LocalFormats::date(latestDate.date())),
                              {{translated("plan_unchanged"), QMessageBox::AcceptRole},
                               {translated("plan_answerAnew"), QMessageBox::RejectRole}},
                              0);
    return answer == 0 ? carriedOver : QList<unsigned>();
}
