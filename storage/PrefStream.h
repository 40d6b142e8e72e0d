#pragma once
// The object-stream format the preferences file is written in: a one-resource
// wrapper around "TPF0", a class name, a component name and name/value pairs.
// The writer always picks the form the original platform picks, so the bytes
// match; the reader accepts everything that platform can write for our types.

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <stdexcept>

namespace PrefStream {

// Value-type bytes of the stream.
enum : uint8_t {
    vaNull = 0,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaSet = 11,
    vaLString = 12,
    vaDate = 17,
    vaWString = 18,
    vaInt64 = 19,
    vaUTF8String = 20,
    vaDouble = 21,
};

constexpr uint16_t kRawDataResourceType = 10;
constexpr uint16_t kResourceFlags = 0x1030;

// Raised by the reader; the text is what the log shows.
class EStreamError : public std::runtime_error {
public:
    explicit EStreamError(const QString &message)
        : std::runtime_error(message.toStdString())
        , FMessage(message)
    {
    }
    const QString &Message() const { return FMessage; }

private:
    QString FMessage;
};

class TWriter {
public:
    void WriteByte(uint8_t b) { FData.append(char(b)); }
    // One length byte and at most 255 Latin-1 bytes (names and identifiers).
    void WriteShortString(const QByteArray &s);
    // Type 2, 3 or 4: the smallest that holds the value.
    void WriteInteger(int32_t v);
    void WriteIdent(const QByteArray &ident);
    void WriteBoolean(bool v) { WriteByte(v ? vaTrue : vaFalse); }
    void WriteSet(const QList<QByteArray> &members);
    // ASCII: type 6 (12 from 256 bytes); otherwise type 20 in UTF-8.
    void WriteText(const QString &text);
    // Bytes as they are, such as a value read earlier.
    void WriteRaw(const QByteArray &bytes) { FData.append(bytes); }
    void WriteExtended(double v);
    // The stream start: "TPF0", class name, component name.
    void WriteHeader(const QByteArray &className, const QByteArray &componentName);
    // End of the property list and of the (empty) list of owned components.
    void WriteEnd();
    const QByteArray &Data() const { return FData; }

private:
    void WriteInt32Raw(int32_t v);
    QByteArray FData;
};

class TReader {
public:
    // Reads data[begin, end).
    TReader(const QByteArray &data, int begin, int end);

    bool AtEnd() const { return FPos >= FEnd; }
    int Pos() const { return FPos; }
    uint8_t ReadByte();
    QByteArray ReadShortString();
    // Checks "TPF0" and returns the class name; the component name is skipped.
    QByteArray ReadHeader();
    uint8_t ReadValueType() { return ReadByte(); }

    // Value readers after the type byte; they raise "Invalid property value"
    // style errors through the caller when the type does not fit.
    int64_t ReadIntegerValue(uint8_t type); // 2, 3, 4, 19
    QString ReadTextValue(uint8_t type); // 6, 12, 18, 20
    QByteArray ReadIdentValue(); // after type 7
    QList<QByteArray> ReadSetValue(); // after type 11
    double ReadFloatValue(uint8_t type); // 5, 17, 21, 2, 3, 4, 19
    // Steps over a value of any type above (and 0, 8, 9), as for a property
    // another version wrote. False, with nothing read, for a type byte this
    // reader does not know: where its value ends cannot be told.
    bool SkipValue(uint8_t type);

    static bool IsIntegerType(uint8_t t) { return t == vaInt8 || t == vaInt16 || t == vaInt32 || t == vaInt64; }
    static bool IsTextType(uint8_t t) { return t == vaString || t == vaLString || t == vaWString || t == vaUTF8String; }
    static bool IsFloatType(uint8_t t) { return t == vaExtended || t == vaDate || t == vaDouble || IsIntegerType(t); }

private:
    QByteArray ReadBytes(qint64 n);
    void SkipBytes(qint64 n);
    uint32_t ReadUInt32();

    const QByteArray &FData;
    int FPos;
    int FEnd;
};

// 0xFF, type 10, the resource name in capitals with a zero byte, flags 0x1030,
// the length, then the stream.
QByteArray WrapResource(const QByteArray &resourceName, const QByteArray &stream);
// Checks the wrapper and gives the stream's place in the file (the length is
// cut to what the file holds). Raises EStreamError.
void UnwrapResource(const QByteArray &file, int &streamBegin, int &streamEnd);

// Error texts shared by the reader and the property code.
QString InvalidFormatText();
QString ReadErrorText();

} // namespace PrefStream
