#include "legacysettingsfile.h"

#include "storedrecord.h"

#include <QDataStream>
#include <QDebug>
#include <QFile>

#include <cstring>

namespace {

const QByteArray SessionsSection = "TEST_SESSIONS";
const QByteArray SessionsKey = "list";
const QByteArray TasksSection = "SCHEDULER";
const QByteArray TasksKey = "tasks";
const QByteArray GeneralSection = "%General";
const QByteArray LocaleKey = "locale_selected";
const QByteArray VariantPrefix = "@Variant(";
const QByteArray InvalidValue = "@Invalid()";
// Section names and keys of the settings file are short; a longer one is damage.
const int MaximumNameBytes = 4096;
const int MaximumNesting = 64;
const int ChunkBytes = 1 << 16;

// The file's bytes one at a time, read in chunks; what is passed over is
// copied to `rest` unless the current line is being left out.
class ByteReader
{
public:
    ByteReader(QFile *file, QIODevice *rest) : m_file(file), m_rest(rest) {}

    // The next byte, or -1 at the end or on a read error.
    int next()
    {
        if (m_position == m_chunk.size() && !fill())
            return -1;
        const char byte = m_chunk.at(m_position++);
        if (m_rest && m_copying)
            m_pending.append(byte);
        return uchar(byte);
    }

    int peek()
    {
        if (m_position == m_chunk.size() && !fill())
            return -1;
        return uchar(m_chunk.at(m_position));
    }

    // Starts a line; it reaches `rest` unless dropLine() is called before its end.
    void startLine()
    {
        flush();
        m_copying = true;
    }
    void dropLine()
    {
        m_pending.clear();
        m_copying = false;
    }
    bool flush()
    {
        if (m_rest && !m_pending.isEmpty() && m_rest->write(m_pending) != m_pending.size())
            m_failed = true;
        m_pending.clear();
        return !m_failed;
    }
    bool failed() const { return m_failed || m_file->error() != QFileDevice::NoError; }

private:
    bool fill()
    {
        if (m_rest && m_pending.size() > ChunkBytes)
            flush();
        m_chunk = m_file->read(ChunkBytes);
        m_position = 0;
        return !m_chunk.isEmpty();
    }

    QFile *m_file;
    QIODevice *m_rest;
    QByteArray m_chunk;
    int m_position = 0;
    QByteArray m_pending;
    bool m_copying = true;
    bool m_failed = false;
};

bool isLineEnd(int byte)
{
    return byte == '\n' || byte == '\r' || byte == -1;
}

bool isHexDigit(int byte)
{
    return (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'f') || (byte >= 'A' && byte <= 'F');
}

int hexValue(int byte)
{
    return byte <= '9' ? byte - '0' : (byte | 0x20) - 'a' + 10;
}

// A value of QVariant's stream format as QSettings writes it (Qt 4.0 stream
// version: no null flag). Containers are read here so that every element
// count is checked against the bytes left before anything is reserved; other
// values are limited to types whose readers allocate no more than they read.
bool readVariant(QDataStream &in, int depth, QVariant *value);

// An element count no larger than the bytes left could hold, each element
// taking at least `elementBytes`.
bool readCount(QDataStream &in, int elementBytes, quint32 *count)
{
    in >> *count;
    return in.status() == QDataStream::Ok && *count <= in.device()->bytesAvailable() / elementBytes;
}

bool readMap(QDataStream &in, int depth, QVariant *value)
{
    quint32 count = 0;
    // Each entry takes at least a key length and a value type.
    if (!readCount(in, 8, &count))
        return false;
    QVariantMap map;
    for (quint32 i = 0; i < count; ++i) {
        QString key;
        QVariant entry;
        in >> key;
        if (in.status() != QDataStream::Ok || !readVariant(in, depth + 1, &entry))
            return false;
        map.insert(key, entry);
    }
    *value = map;
    return true;
}

bool readList(QDataStream &in, int depth, QVariant *value)
{
    quint32 count = 0;
    if (!readCount(in, 4, &count))
        return false;
    QVariantList list;
    for (quint32 i = 0; i < count; ++i) {
        QVariant entry;
        if (!readVariant(in, depth + 1, &entry))
            return false;
        list.append(entry);
    }
    *value = list;
    return true;
}

bool readStringList(QDataStream &in, QVariant *value)
{
    quint32 count = 0;
    if (!readCount(in, 4, &count))
        return false;
    QStringList list;
    for (quint32 i = 0; i < count; ++i) {
        QString entry;
        in >> entry;
        list.append(entry);
    }
    *value = list;
    return in.status() == QDataStream::Ok;
}

bool isPlainType(quint32 type)
{
    switch (type) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::QChar:
    case QMetaType::QString:
    case QMetaType::QByteArray:
    case QMetaType::QDate:
    case QMetaType::QTime:
    case QMetaType::QDateTime:
    case QMetaType::QUrl:
    case QMetaType::QUuid:
        return true;
    default:
        return false;
    }
}

bool readVariant(QDataStream &in, int depth, QVariant *value)
{
    quint32 type = 0;
    in >> type;
    if (in.status() != QDataStream::Ok || depth > MaximumNesting)
        return false;
    switch (type) {
    case QMetaType::UnknownType: {
        // An invalid value is followed by an empty text in this stream version.
        QString ignored;
        in >> ignored;
        *value = QVariant();
        return in.status() == QDataStream::Ok;
    }
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash:
        return readMap(in, depth, value);
    case QMetaType::QVariantList:
        return readList(in, depth, value);
    case QMetaType::QStringList:
        return readStringList(in, value);
    default:
        if (!isPlainType(type))
            return false;
        *value = QVariant(int(type), nullptr);
        return QMetaType::load(in, int(type), value->data()) && in.status() == QDataStream::Ok;
    }
}

// One element of a stored list, as the bytes of its text once unescaped.
QVariant decodedElement(const QByteArray &text, bool *readable)
{
    *readable = false;
    if (!text.startsWith(VariantPrefix) || !text.endsWith(')'))
        return {};
    QByteArray payload = text.mid(VariantPrefix.size(), text.size() - VariantPrefix.size() - 1);
    QDataStream in(&payload, QIODevice::ReadOnly);
    in.setVersion(QDataStream::Qt_4_0);
    QVariant value;
    *readable = readVariant(in, 0, &value);
    return value;
}

// The parser of the INI text QSettings writes: sections, "key=value" lines,
// ';' comments, quotes, backslash escapes and comma-separated lists.
class IniReader
{
public:
    IniReader(ByteReader *bytes, const LegacySettingsFile::RecordSink &sink, LegacySettingsFile::Result *result)
        : m_bytes(bytes), m_sink(sink), m_result(result)
    {
    }

    bool read()
    {
        for (;;) {
            skipBlanks(true);
            m_bytes->startLine();
            const int byte = m_bytes->peek();
            if (byte == -1)
                return m_bytes->flush() && !m_stopped;
            if (byte == ';')
                skipLine();
            else if (byte == '[')
                readSection();
            else if (!readKeyLine())
                return false;
        }
    }

private:
    void skipBlanks(bool lineEnds)
    {
        for (int byte = m_bytes->peek(); byte == ' ' || byte == '\t' || (lineEnds && (byte == '\n' || byte == '\r'));
             byte = m_bytes->peek())
            m_bytes->next();
    }

    // Reads up to (not including) the first of `stops` or the line's end, keeping at most MaximumNameBytes.
    QByteArray readName(const char *stops)
    {
        QByteArray name;
        for (int byte = m_bytes->peek(); !isLineEnd(byte) && (byte == 0 || !std::strchr(stops, byte)); byte = m_bytes->peek()) {
            m_bytes->next();
            if (name.size() < MaximumNameBytes)
                name.append(char(byte));
        }
        return name.trimmed();
    }

    void readSection()
    {
        m_bytes->next();
        m_section = readName("]");
        skipValue();
    }

    bool readKeyLine()
    {
        const QByteArray key = readName("=;");
        if (m_bytes->peek() != '=') {
            skipValue();
            return true;
        }
        m_bytes->next();
        if (m_section == SessionsSection && key == SessionsKey)
            return readList(LegacySettingsFile::Sessions);
        if (m_section == TasksSection && key == TasksKey)
            return readList(LegacySettingsFile::Tasks);
        if (m_section == GeneralSection && key == LocaleKey)
            m_result->locale = QString::fromLatin1(readName(";")).remove(QLatin1Char('"'));
        skipValue();
        return true;
    }

    // Passes over the rest of a line the way QSettings finds its end: a line
    // break outside quotes, or a ';' that starts a comment; a backslash
    // escapes the byte after it.
    void skipValue()
    {
        bool quoted = false;
        for (int byte = m_bytes->next(); byte != -1; byte = m_bytes->next()) {
            if (byte == '\\') {
                m_bytes->next();
            } else if (byte == '"') {
                quoted = !quoted;
            } else if (!quoted && byte == ';') {
                skipLine();
                return;
            } else if (!quoted && (byte == '\n' || byte == '\r')) {
                return;
            }
        }
    }

    void skipLine()
    {
        for (int byte = m_bytes->next(); !isLineEnd(byte); byte = m_bytes->next()) {
        }
    }

    bool readList(LegacySettingsFile::List list)
    {
        m_bytes->dropLine();
        m_result->holdsLists = true;
        m_list = list;
        m_position = 0;
        m_element.clear();
        m_elementTooLong = false;
        bool quoted = false;
        bool elementQuoted = false;
        int keptLength = 0;
        skipBlanks(false);
        for (int byte = m_bytes->next();; byte = m_bytes->next()) {
            if (byte == -1 || (!quoted && (byte == '\n' || byte == '\r' || byte == ';'))) {
                if (byte == ';')
                    skipLine();
                finishElement(elementQuoted, keptLength);
                return !m_stopped;
            }
            if (byte == '\\') {
                appendEscaped();
                keptLength = m_element.size();
            } else if (byte == '"') {
                quoted = !quoted;
                elementQuoted = true;
            } else if (byte == ',' && !quoted) {
                finishElement(elementQuoted, keptLength);
                if (m_stopped)
                    return false;
                elementQuoted = false;
                keptLength = 0;
                skipBlanks(false);
            } else {
                append(byte);
            }
        }
    }

    void append(int byte)
    {
        if (m_element.size() < StoredRecord::MaximumBytes)
            m_element.append(char(byte));
        else
            m_elementTooLong = true;
    }

    // After a backslash: the escapes QSettings reads, hex and octal numbers of
    // any length, and a line break that continues the value.
    void appendEscaped()
    {
        static const char escapes[][2] = {{'a', '\a'},  {'b', '\b'}, {'f', '\f'},  {'n', '\n'},
                                          {'r', '\r'},  {'t', '\t'}, {'v', '\v'},  {'"', '"'},
                                          {'?', '?'},   {'\'', '\''}, {'\\', '\\'}};
        const int byte = m_bytes->next();
        for (const auto &escape : escapes) {
            if (byte == escape[0]) {
                append(escape[1]);
                return;
            }
        }
        if (byte == 'x' && isHexDigit(m_bytes->peek())) {
            uint value = 0;
            while (isHexDigit(m_bytes->peek()))
                value = (value << 4) + uint(hexValue(m_bytes->next()));
            appendCharacter(value);
        } else if (byte >= '0' && byte <= '7') {
            uint value = uint(byte - '0');
            for (int digit = m_bytes->peek(); digit >= '0' && digit <= '7'; digit = m_bytes->peek())
                value = (value << 3) + uint(m_bytes->next() - '0');
            appendCharacter(value);
        } else if (byte == '\n' || byte == '\r') {
            const int following = m_bytes->peek();
            if ((following == '\n' || following == '\r') && following != byte)
                m_bytes->next();
        }
    }

    // QSettings turns the unescaped text into bytes as Latin-1: a character
    // beyond it becomes '?'.
    void appendCharacter(uint value)
    {
        append((value & 0xffff) > 0xff ? '?' : int(value & 0xff));
    }

    void finishElement(bool quoted, int keptLength)
    {
        if (!quoted) {
            int end = m_element.size();
            while (end > keptLength && (m_element.at(end - 1) == ' ' || m_element.at(end - 1) == '\t'))
                --end;
            m_element.truncate(end);
        }
        const QByteArray text = m_element;
        const bool tooLong = m_elementTooLong;
        m_element.clear();
        m_elementTooLong = false;
        if (text == InvalidValue)
            return;
        bool readable = false;
        const QVariant value = tooLong ? QVariant() : decodedElement(text, &readable);
        if (!readable) {
            ++m_result->damaged;
        } else if (value.type() == QVariant::List) {
            // A list of one record is stored as one value holding the list.
            const QVariantList records = value.toList();
            for (const QVariant &record : records)
                take(record);
        } else {
            take(value);
        }
    }

    void take(const QVariant &record)
    {
        if (m_stopped)
            return;
        if (record.type() != QVariant::Map) {
            ++m_result->damaged;
            return;
        }
        ++(m_list == LegacySettingsFile::Sessions ? m_result->sessions : m_result->tasks);
        if (!m_sink(m_list, m_position++, record.toMap()))
            m_stopped = true;
    }

    ByteReader *m_bytes;
    const LegacySettingsFile::RecordSink &m_sink;
    LegacySettingsFile::Result *m_result;
    QByteArray m_section;
    LegacySettingsFile::List m_list = LegacySettingsFile::Sessions;
    int m_position = 0;
    QByteArray m_element;
    bool m_elementTooLong = false;
    bool m_stopped = false;
};

} // namespace

LegacySettingsFile::LegacySettingsFile(const QString &path) : m_path(path) {}

LegacySettingsFile::Result LegacySettingsFile::read(const RecordSink &sink, QIODevice *rest) const
{
    Result result;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return result;
    ByteReader bytes(&file, rest);
    IniReader reader(&bytes, sink, &result);
    result.readable = reader.read() && !bytes.failed();
    return result;
}
