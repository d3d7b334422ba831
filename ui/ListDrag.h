#pragma once
// What a drag from one of the five file lists carries: the list it began in and the entry's name.

#include <QByteArray>
#include <QMimeData>
#include <QString>

#include <optional>

struct ListDrag {
    int list = 0; // 1..5
    QString name;

    static QString mime_type() { return QStringLiteral("application/x-tandrel-list-entry"); }

    QMimeData* to_mime() const
    {
        auto* mime = new QMimeData;
        mime->setData(mime_type(), QByteArray::number(list) + '\n' + name.toUtf8());
        return mime;
    }

    // The drag a drop carries; nullopt when it did not come from one of the lists.
    static std::optional<ListDrag> from_mime(const QMimeData* mime)
    {
        if (!mime || !mime->hasFormat(mime_type()))
            return std::nullopt;
        const QByteArray data = mime->data(mime_type());
        const qsizetype cut = data.indexOf('\n');
        bool ok = false;
        const int list = cut > 0 ? data.left(cut).toInt(&ok) : 0;
        if (!ok || list < 1 || list > 5)
            return std::nullopt;
        return ListDrag { list, QString::fromUtf8(data.mid(cut + 1)) };
    }
};
