#pragma once

#include <QString>
#include <QVariantMap>

class QPainter;
class QRect;

// The fingerprint of the stored record a report was drawn from (see
// RecordFingerprint): its first 16 digits on every page's footer, the whole
// value at the end, and the session's uuid with the whole value in the PDF's
// title, where `lumivex-report --verify` reads them back. A session that
// carries no uuid (one not stored) has none, and its report shows none.
class ReportFingerprint
{
public:
    explicit ReportFingerprint(const QVariantMap &session = {});

    bool isKnown() const;
    QString uuid() const;
    QString value() const;
    QString documentTitle() const;

    void drawPageMark(QPainter *painter, const QRect &band) const;
    void drawWhole(QPainter *painter, const QRect &line) const;

    // The session uuid and fingerprint a report file names; false when the
    // bytes name none (not a report of this program, or one without).
    static bool readFrom(const QByteArray &pdf, QString *uuid, QString *fingerprint);

private:
    void drawText(QPainter *painter, const QRect &box, int flags, const QString &text) const;

    QString m_uuid;
    QString m_value;
};
