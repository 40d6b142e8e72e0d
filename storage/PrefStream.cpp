#include "storage/PrefStream.h"

#include "core/Codepage.h"
#include "storage/PrefExtended.h"

#include <cstring>

namespace PrefStream {

QString InvalidFormatText()
{
    return QStringLiteral("Invalid stream format");
}

QString ReadErrorText()
{
    return QStringLiteral("Stream read error");
}

// ---- writer ----

void TWriter::WriteInt32Raw(int32_t v)
{
    const uint32_t u = uint32_t(v);
    for (int i = 0; i < 4; ++i)
        WriteByte(uint8_t(u >> (8 * i)));
}

void TWriter::WriteShortString(const QByteArray &s)
{
    const int n = s.size() > 255 ? 255 : int(s.size());
    WriteByte(uint8_t(n));
    FData.append(s.constData(), n);
}

void TWriter::WriteInteger(int32_t v)
{
    if (v >= -128 && v <= 127) {
        WriteByte(vaInt8);
        WriteByte(uint8_t(int8_t(v)));
    } else if (v >= -32768 && v <= 32767) {
        WriteByte(vaInt16);
        const uint16_t u = uint16_t(int16_t(v));
        WriteByte(uint8_t(u & 0xFF));
        WriteByte(uint8_t(u >> 8));
    } else {
        WriteByte(vaInt32);
        WriteInt32Raw(v);
    }
}

void TWriter::WriteIdent(const QByteArray &ident)
{
    WriteByte(vaIdent);
    WriteShortString(ident);
}

void TWriter::WriteSet(const QList<QByteArray> &members)
{
    WriteByte(vaSet);
    for (const QByteArray &m : members)
        WriteShortString(m);
    WriteByte(0);
}

void TWriter::WriteText(const QString &text)
{
    bool ascii = true;
    for (const QChar c : text)
        if (c.unicode() > 0x7F) {
            ascii = false;
            break;
        }
    if (ascii) {
        const QByteArray bytes = text.toLatin1();
        if (bytes.size() <= 255) {
            WriteByte(vaString);
            WriteShortString(bytes);
        } else {
            WriteByte(vaLString);
            WriteInt32Raw(int32_t(bytes.size()));
            FData.append(bytes);
        }
        return;
    }
    const QByteArray utf8 = EncodeText(text);
    WriteByte(vaUTF8String);
    WriteInt32Raw(int32_t(utf8.size()));
    FData.append(utf8);
}

void TWriter::WriteExtended(double v)
{
    WriteByte(vaExtended);
    const TExtended80 ext = DoubleToExtended(v);
    FData.append(reinterpret_cast<const char *>(ext.data()), int(ext.size()));
}

void TWriter::WriteHeader(const QByteArray &className, const QByteArray &componentName)
{
    FData.append("TPF0", 4);
    WriteShortString(className);
    WriteShortString(componentName);
}

void TWriter::WriteEnd()
{
    WriteByte(0);
    WriteByte(0);
}

// ---- reader ----

TReader::TReader(const QByteArray &data, int begin, int end)
    : FData(data)
    , FPos(begin)
    , FEnd(end > data.size() ? int(data.size()) : end)
{
}

uint8_t TReader::ReadByte()
{
    if (FPos >= FEnd)
        throw EStreamError(ReadErrorText());
    return uint8_t(FData[FPos++]);
}

QByteArray TReader::ReadBytes(qint64 n)
{
    if (n < 0 || n > FEnd - FPos)
        throw EStreamError(ReadErrorText());
    const QByteArray out = FData.mid(FPos, int(n));
    FPos += int(n);
    return out;
}

void TReader::SkipBytes(qint64 n)
{
    if (n < 0 || n > FEnd - FPos)
        throw EStreamError(ReadErrorText());
    FPos += int(n);
}

uint32_t TReader::ReadUInt32()
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= uint32_t(ReadByte()) << (8 * i);
    return v;
}

QByteArray TReader::ReadShortString()
{
    const uint8_t n = ReadByte();
    return ReadBytes(n);
}

QByteArray TReader::ReadHeader()
{
    if (FEnd - FPos < 4 || std::memcmp(FData.constData() + FPos, "TPF0", 4) != 0)
        throw EStreamError(InvalidFormatText());
    FPos += 4;
    // An optional filer-flags prefix (0xF0..0xFF), with a child position when flag 2 is set.
    if (FPos < FEnd && (uint8_t(FData[FPos]) & 0xF0) == 0xF0) {
        const uint8_t flags = ReadByte() & 0x0F;
        if (flags & 2) {
            const uint8_t t = ReadValueType();
            if (!IsIntegerType(t))
                throw EStreamError(InvalidFormatText());
            ReadIntegerValue(t);
        }
    }
    const QByteArray className = ReadShortString();
    ReadShortString(); // component name; ours is always unnamed
    return className;
}

int64_t TReader::ReadIntegerValue(uint8_t type)
{
    switch (type) {
    case vaInt8: return int8_t(ReadByte());
    case vaInt16: {
        const uint16_t lo = ReadByte();
        const uint16_t hi = ReadByte();
        return int16_t(uint16_t(lo | (hi << 8)));
    }
    case vaInt32: return int32_t(ReadUInt32());
    case vaInt64: {
        const uint64_t lo = ReadUInt32();
        const uint64_t hi = ReadUInt32();
        return int64_t(lo | (hi << 32));
    }
    default: throw EStreamError(QStringLiteral("Invalid property value"));
    }
}

QString TReader::ReadTextValue(uint8_t type)
{
    switch (type) {
    case vaString:
        // Written by us only for ASCII; older writers put code-page bytes here.
        return DecodeStoredText(ReadShortString());
    case vaLString: return DecodeStoredText(ReadBytes(ReadUInt32()));
    case vaUTF8String: return QString::fromUtf8(ReadBytes(ReadUInt32()));
    case vaWString: {
        const qint64 chars = ReadUInt32();
        const QByteArray raw = ReadBytes(chars * 2);
        QString out(int(chars), Qt::Uninitialized);
        for (int i = 0; i < chars; ++i)
            out[i] = QChar(char16_t(uint8_t(raw[2 * i]) | (uint8_t(raw[2 * i + 1]) << 8)));
        return out;
    }
    default: throw EStreamError(QStringLiteral("Invalid property value"));
    }
}

QByteArray TReader::ReadIdentValue()
{
    return ReadShortString();
}

QList<QByteArray> TReader::ReadSetValue()
{
    QList<QByteArray> members;
    for (;;) {
        const QByteArray m = ReadShortString();
        if (m.isEmpty())
            return members;
        members.append(m);
    }
}

double TReader::ReadFloatValue(uint8_t type)
{
    if (type == vaExtended) {
        const QByteArray raw = ReadBytes(10);
        TExtended80 ext{};
        std::memcpy(ext.data(), raw.constData(), 10);
        return ExtendedToDouble(ext);
    }
    if (type == vaDate || type == vaDouble) {
        const QByteArray raw = ReadBytes(8);
        uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits |= uint64_t(uint8_t(raw[i])) << (8 * i);
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    return double(ReadIntegerValue(type));
}

bool TReader::SkipValue(uint8_t type)
{
    switch (type) {
    case vaNull:
    case vaFalse:
    case vaTrue: return true;
    case vaInt8: SkipBytes(1); return true;
    case vaInt16: SkipBytes(2); return true;
    case vaInt32: SkipBytes(4); return true;
    case vaInt64:
    case vaDate:
    case vaDouble: SkipBytes(8); return true;
    case vaExtended: SkipBytes(10); return true;
    case vaString:
    case vaIdent: SkipBytes(ReadByte()); return true;
    case vaLString:
    case vaUTF8String: SkipBytes(ReadUInt32()); return true;
    case vaWString: SkipBytes(qint64(ReadUInt32()) * 2); return true;
    case vaSet: ReadSetValue(); return true;
    default: return false;
    }
}

// ---- resource wrapper ----

QByteArray WrapResource(const QByteArray &resourceName, const QByteArray &stream)
{
    TWriter w;
    w.WriteByte(0xFF);
    w.WriteByte(uint8_t(kRawDataResourceType & 0xFF));
    w.WriteByte(uint8_t(kRawDataResourceType >> 8));
    QByteArray out = w.Data();
    out.append(resourceName.toUpper());
    out.append('\0');
    out.append(char(kResourceFlags & 0xFF));
    out.append(char(kResourceFlags >> 8));
    const uint32_t n = uint32_t(stream.size());
    for (int i = 0; i < 4; ++i)
        out.append(char(uint8_t(n >> (8 * i))));
    out.append(stream);
    return out;
}

void UnwrapResource(const QByteArray &file, int &streamBegin, int &streamEnd)
{
    TReader r(file, 0, int(file.size()));
    try {
        if (r.ReadByte() != 0xFF)
            throw EStreamError(InvalidFormatText());
        const uint8_t typeLo = r.ReadByte();
        const uint8_t typeHi = r.ReadByte();
        const uint16_t type = uint16_t(typeLo | (typeHi << 8));
        if (type != kRawDataResourceType)
            throw EStreamError(InvalidFormatText());
        int pos = 3;
        while (r.ReadByte() != 0)
            ++pos;
        pos += 1; // the zero byte
        r.ReadByte(); // flags
        r.ReadByte();
        uint32_t n = 0;
        for (int i = 0; i < 4; ++i)
            n |= uint32_t(r.ReadByte()) << (8 * i);
        pos += 6;
        streamBegin = pos;
        const qint64 available = file.size() - pos;
        streamEnd = pos + int(qint64(n) < available ? qint64(n) : available);
    } catch (const EStreamError &) {
        // A file too short for its wrapper is not a preferences file at all.
        throw EStreamError(InvalidFormatText());
    }
}

} // namespace PrefStream
