#include "withdrawalmark.h"

#include "localformats.h"
#include "translator.h"

#include <QDateTime>
#include <QFont>

QVariant WithdrawalMark::data(const QVariantMap &withdrawal, int role)
{
    if (role == Qt::FontRole) {
        QFont font;
        font.setStrikeOut(true);
        return font;
    }
    if (role != Qt::ToolTipRole)
        return {};
    return TR::Translator::instance()
        ->translate(QStringLiteral("records_withdrawnBy"))
        .arg(withdrawal.value(QStringLiteral("withdrawnBy")).toString(),
             LocalFormats::dateTime(withdrawal.value(QStringLiteral("withdrawnAt")).toDateTime()),
             withdrawal.value(QStringLiteral("reason")).toString());
}
