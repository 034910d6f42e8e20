#include "readingcheck.h"

#include "answernumber.h"
#include "limitstable.h"
#include "modalprompt.h"
#include "testcontent.h"
#include "translator.h"

#include <QLocale>
#include <QWidget>

namespace {

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QLatin1String(key));
}

QString number(double value)
{
    return QLocale::c().toString(value, 'g', 8);
}

void refuse(QWidget *parent, const char *reasonKey)
{
    ModalPrompt::question(parent, QMessageBox::Warning, translated("attention"), translated(reasonKey),
                          {{translated("ok"), QMessageBox::AcceptRole}});
}

} // namespace

bool ReadingCheck::accept(QWidget *parent, const TestContent *content, const QString &text)
{
    const LimitsTable::Plausibility *range = LimitsTable::current().plausibility(content->id());
    if (!range || text.trimmed().isEmpty())
        return true;
    bool isNumber = false;
    const double value = AnswerNumber::read(text, &isNumber);
    if (!isNumber) {
        refuse(parent, "reading_notANumber");
        return false;
    }
    switch (range->check(value)) {
    case LimitsTable::Plausibility::Plausible:
        return true;
    case LimitsTable::Plausibility::NotPositive:
        refuse(parent, "reading_notPositive");
        return false;
    case LimitsTable::Plausibility::Negative:
        refuse(parent, "reading_negative");
        return false;
    case LimitsTable::Plausibility::NotWhole:
        refuse(parent, "reading_notWhole");
        return false;
    case LimitsTable::Plausibility::OutOfRange:
        break;
    }
    const QString question =
        translated("reading_outOfRange").arg(text.trimmed(), number(range->minimum), number(range->maximum));
    return ModalPrompt::question(parent, QMessageBox::Question, translated("attention"), question,
                                 {{translated("reading_correct"), QMessageBox::RejectRole},
                                  {translated("reading_keep"), QMessageBox::AcceptRole}}) == 1;
}

QString ReadingCheck::shownText(const TestContent *content)
{
    const LimitsTable::Plausibility *range = LimitsTable::current().plausibility(content->id());
    bool isNumber = false;
    const double value = AnswerNumber::read(content->resultText(), &isNumber);
    return range && range->positive && isNumber && value <= 0 ? QString() : content->resultText();
}
