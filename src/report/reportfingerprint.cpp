#include "reportfingerprint.h"

#include "recordfingerprint.h"
#include "reportstyle.h"
#include "translator.h"

#include <QPainter>
#include <QRegularExpression>

namespace {

const int MarkPointSize = 7;

QString translated(const QString &key)
{
    return TR::Translator::instance()->translate(key);
}

QFont markFont()
{
    QFont font(ReportStyle::fontFamily);
    font.setPointSize(MarkPointSize);
    return font;
}

// The title names both in plain text: PDF/A keeps the title in the file's XMP
// metadata as UTF-8, where a reader finds it without a PDF library.
const QRegularExpression &titlePattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("Lumivex report; session ([0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}); "
                       "fingerprint ([0-9a-f]{64})"));
    return pattern;
}

} // namespace

ReportFingerprint::ReportFingerprint(const QVariantMap &session)
    : m_uuid(session.value(RecordFingerprint::UuidKey).toString())
{
    if (!m_uuid.isEmpty())
        m_value = RecordFingerprint::of(m_uuid, session);
}

bool ReportFingerprint::isKnown() const
{
    return !m_value.isEmpty();
}

QString ReportFingerprint::uuid() const
{
    return m_uuid;
}

QString ReportFingerprint::value() const
{
    return m_value;
}

QString ReportFingerprint::documentTitle() const
{
    if (!isKnown())
        return QStringLiteral("Lumivex report");
    return QStringLiteral("Lumivex report; session %1; fingerprint %2").arg(m_uuid, m_value);
}

void ReportFingerprint::drawPageMark(QPainter *painter, const QRect &band) const
{
    drawText(painter, band, Qt::AlignRight | Qt::AlignVCenter,
             translated(QStringLiteral("records_fingerprintShort")).arg(RecordFingerprint::shortForm(m_value)));
}

void ReportFingerprint::drawWhole(QPainter *painter, const QRect &line) const
{
    drawText(painter, line, Qt::AlignRight | Qt::AlignTop,
             translated(QStringLiteral("records_fingerprintWhole")).arg(m_value));
}

void ReportFingerprint::drawText(QPainter *painter, const QRect &box, int flags, const QString &text) const
{
    if (!isKnown())
        return;
    painter->save();
    painter->setFont(markFont());
    painter->setPen(ReportStyle::textDark);
    painter->drawText(box, flags, text);
    painter->restore();
}

bool ReportFingerprint::readFrom(const QByteArray &pdf, QString *uuid, QString *fingerprint)
{
    if (!pdf.startsWith("%PDF-"))
        return false;
    // With its length: the QByteArray overload would stop at the first zero byte of a stream.
    const QRegularExpressionMatch match = titlePattern().match(QString::fromLatin1(pdf.constData(), pdf.size()));
    if (!match.hasMatch())
        return false;
    *uuid = match.captured(1);
    *fingerprint = match.captured(2);
    return true;
}
