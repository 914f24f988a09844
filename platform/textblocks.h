// Texts written one after another into shared blocks of characters: each text is a QString over
// its part of a block, sharing the block as copies of one QString share theirs, so a column of
// texts that do not repeat (a barcode) costs an allocation per block instead of one per text,
// and its characters sit side by side in the order the rows brought them. Each text is followed
// by a zero, as a QString's characters are. A block lives as long as any text in it.

#pragma once

#include <QString>
#include <QStringDecoder>
#include <QStringView>

#include <cstring>
#include <string_view>

class TTextBlocks {
public:
    // The text of the UTF-8 bytes.
    QString Text(std::string_view utf8)
    {
        const auto size = qsizetype(utf8.size());
        char16_t* at = Room(size);
        if (!at)
            return QString::fromUtf8(utf8.data(), size);  // a long text stands alone
        unsigned char high = 0;
        for (qsizetype i = 0; i < size; ++i) {
            const auto c = static_cast<unsigned char>(utf8[size_t(i)]);
            high |= c;
            at[i] = c;
        }
        qsizetype length = size;
        if (high & 0x80) {
            // UTF-8 never has fewer bytes than the text has UTF-16 code units.
            const QChar* end = decoder_.appendToBuffer(reinterpret_cast<QChar*>(at), QByteArrayView(utf8.data(), size));
            length = qsizetype(end - reinterpret_cast<const QChar*>(at));
        }
        return Part(at, length);
    }

    // A copy of `text` in the blocks.
    QString Text(QStringView text)
    {
        const qsizetype size = text.size();
        char16_t* at = Room(size);
        if (!at)
            return text.toString();
        std::memcpy(at, text.utf16(), size_t(size) * sizeof(char16_t));
        return Part(at, size);
    }

private:
    static constexpr qsizetype kBlock = 8192;

    // Room for `size` characters and their zero in the current block or a new one; null for a
    // text too long to share a block.
    char16_t* Room(qsizetype size)
    {
        if (size + 1 > capacity_ - used_) {
            if (size + 1 > kBlock / 8)
                return nullptr;
            block_ = QString(kBlock, Qt::Uninitialized);
            base_ = block_.data_ptr().data();
            used_ = 0;
            capacity_ = kBlock;
        }
        return base_ + used_;
    }

    QString Part(char16_t* at, qsizetype length)
    {
        at[length] = u'\0';
        used_ += length + 1;
        QStringPrivate part = block_.data_ptr();
        part.ptr = at;
        part.size = length;
        return QString(std::move(part));
    }

    QString block_;
    char16_t* base_ = nullptr;
    qsizetype used_ = 0, capacity_ = 0;
    QStringDecoder decoder_{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};
};
