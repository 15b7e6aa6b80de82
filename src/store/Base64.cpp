// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/Base64.h"

#include <array>

namespace {

constexpr quint8 kInvalid = 0xFF;

constexpr std::array<quint8, 128> makeTable()
{
    std::array<quint8, 128> table{};
    table.fill(kInvalid);
    const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int i = 0; i < 64; ++i)
        table[static_cast<unsigned char>(alphabet[i])] = quint8(i);
    return table;
}

constexpr std::array<quint8, 128> kTable = makeTable();

quint8 sextet(char16_t c)
{
    return c < 128 ? kTable[c] : kInvalid;
}

} // namespace

std::optional<QByteArray> decodeBase64(QStringView text)
{
    const qsizetype size = text.size();
    if (size % 4 != 0)
        return std::nullopt;
    qsizetype padding = 0;
    if (size > 0 && text.at(size - 1) == QLatin1Char('='))
        padding = size > 1 && text.at(size - 2) == QLatin1Char('=') ? 2 : 1;

    QByteArray out(size / 4 * 3 - padding, Qt::Uninitialized);
    char *write = out.data();
    const char16_t *read = text.utf16();
    const qsizetype whole = padding ? size - 4 : size;
    for (qsizetype i = 0; i < whole; i += 4) {
        const quint8 a = sextet(read[i]), b = sextet(read[i + 1]), c = sextet(read[i + 2]), d = sextet(read[i + 3]);
        if ((a | b | c | d) & 0xC0) // an invalid character has the high bits set
            return std::nullopt;
        const quint32 bits = (quint32(a) << 18) | (quint32(b) << 12) | (quint32(c) << 6) | d;
        *write++ = char(bits >> 16);
        *write++ = char(bits >> 8);
        *write++ = char(bits);
    }
    if (padding) {
        const quint8 a = sextet(read[size - 4]), b = sextet(read[size - 3]);
        const quint8 c = padding == 1 ? sextet(read[size - 2]) : 0;
        if ((a | b | c) & 0xC0)
            return std::nullopt;
        const quint32 bits = (quint32(a) << 18) | (quint32(b) << 12) | (quint32(c) << 6);
        *write++ = char(bits >> 16);
        if (padding == 1)
            *write++ = char(bits >> 8);
    }
    return out;
}
