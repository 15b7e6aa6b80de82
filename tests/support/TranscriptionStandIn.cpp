// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TranscriptionStandIn.h"

#include "support/ProviderEvents.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QtEndian>

namespace {

QByteArray headerParameter(const QByteArray &header, const QByteArray &name)
{
    const QRegularExpression pattern(QStringLiteral("%1=\"?([^\";]*)\"?").arg(QString::fromLatin1(name)));
    return pattern.match(QString::fromUtf8(header)).captured(1).toUtf8();
}

QByteArray base64Strict(const QString &text)
{
    const auto decoded = QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? decoded.decoded : QByteArray();
}

QJsonObject body(const RecordedRequest &request)
{
    return QJsonDocument::fromJson(request.body).object();
}

ScriptedResponse refuse(const QString &problem)
{
    return ScriptedResponse::withBody(400, providerErrorBody(400, problem), 0, 0, "application/json");
}

ScriptedResponse json(const QJsonObject &object)
{
    return ScriptedResponse::withBody(200, jsonText(object), 0, 0, "application/json");
}

} // namespace

QList<FormField> formFields(const RecordedRequest &request)
{
    const QByteArray type = request.header("Content-Type");
    const QByteArray boundary = headerParameter(type, "boundary");
    if (!type.startsWith("multipart/form-data") || boundary.isEmpty())
        return {};
    const QByteArray delimiter = "--" + boundary;
    QList<FormField> fields;
    qsizetype at = request.body.indexOf(delimiter);
    if (at != 0)
        return {};
    while (true) {
        at += delimiter.size();
        if (request.body.mid(at, 2) == "--")
            return fields;
        if (request.body.mid(at, 2) != "\r\n")
            return {};
        const qsizetype headEnd = request.body.indexOf("\r\n\r\n", at);
        const qsizetype next = request.body.indexOf("\r\n" + delimiter, headEnd);
        if (headEnd < 0 || next < 0)
            return {};
        FormField field;
        for (const QByteArray &line : request.body.mid(at + 2, headEnd - at - 2).split('\n')) {
            const QByteArray trimmed = line.trimmed();
            if (trimmed.toLower().startsWith("content-disposition:")) {
                field.name = headerParameter(trimmed, "name");
                field.filename = headerParameter(trimmed, "filename");
            } else if (trimmed.toLower().startsWith("content-type:")) {
                field.contentType = trimmed.mid(13).trimmed();
            }
        }
        field.data = request.body.mid(headEnd + 4, next - headEnd - 4);
        fields.append(field);
        at = next + 2;
    }
}

FormField formField(const QList<FormField> &fields, const QByteArray &name)
{
    for (const FormField &field : fields) {
        if (field.name == name)
            return field;
    }
    return {};
}

QString wavProblem(const QByteArray &wav)
{
    auto le32 = [&wav](qsizetype at) { return qFromLittleEndian<quint32>(wav.constData() + at); };
    auto le16 = [&wav](qsizetype at) { return qFromLittleEndian<quint16>(wav.constData() + at); };
    if (wav.size() < 44 || !wav.startsWith("RIFF") || wav.mid(8, 8) != "WAVEfmt ")
        return QStringLiteral("not a WAV file");
    if (le32(4) != quint32(wav.size() - 8))
        return QStringLiteral("RIFF size %1 for %2 bytes").arg(le32(4)).arg(wav.size());
    if (le16(20) != 1 || le16(22) != 1 || le32(24) != 16000 || le16(34) != 16)
        return QStringLiteral("not 16 kHz mono 16-bit PCM");
    if (le32(28) != 32000 || le16(32) != 2)
        return QStringLiteral("byte rate or block size wrong");
    if (wav.mid(36, 4) != "data" || le32(40) != quint32(wav.size() - 44))
        return QStringLiteral("data chunk size wrong");
    return {};
}

QByteArray geminiAudio(const RecordedRequest &request)
{
    const QJsonArray parts = body(request)["contents"][0]["parts"].toArray();
    for (const QJsonValue &part : parts) {
        const QJsonObject inline_ = part["inline_data"].toObject();
        if (inline_["mime_type"].toString() == QLatin1String("audio/wav"))
            return base64Strict(inline_["data"].toString());
    }
    return {};
}

QByteArray openRouterAudio(const RecordedRequest &request)
{
    const QJsonArray parts = body(request)["messages"][0]["content"].toArray();
    for (const QJsonValue &part : parts) {
        if (part["type"].toString() == QLatin1String("input_audio")
            && part["input_audio"]["format"].toString() == QLatin1String("wav"))
            return base64Strict(part["input_audio"]["data"].toString());
    }
    return {};
}

QByteArray serverAudio(const RecordedRequest &request)
{
    const FormField file = formField(formFields(request), "file");
    if (!file.filename.endsWith(".wav") || file.contentType != "audio/wav")
        return {};
    return file.data;
}

ScriptedResponse transcriptionAnswer(const RecordedRequest &request, const QString &transcript)
{
    QByteArray audio;
    const bool gemini = request.path.endsWith(":generateContent");
    const bool openRouter = request.path == "/api/v1/chat/completions";
    const bool server = request.path.endsWith("/audio/transcriptions");
    if (gemini)
        audio = geminiAudio(request);
    else if (openRouter)
        audio = openRouterAudio(request);
    else if (server)
        audio = serverAudio(request);
    else
        return ScriptedResponse::withBody(404, providerErrorBody(404, QStringLiteral("Not found")), 0, 0,
                                          "application/json");
    if (audio.isEmpty())
        return refuse(QStringLiteral("The request carries no audio where it should."));
    if (const QString problem = wavProblem(audio); !problem.isEmpty())
        return refuse(QStringLiteral("Invalid WAV: %1").arg(problem));
    if (server) {
        const QList<FormField> fields = formFields(request);
        if (formField(fields, "model").data.isEmpty() || formField(fields, "response_format").data != "json")
            return refuse(QStringLiteral("model and response_format=json are required"));
        return json({{QStringLiteral("text"), transcript}});
    }
    if (gemini) {
        const QJsonObject part{{QStringLiteral("text"), transcript}};
        const QJsonObject candidate{{QStringLiteral("content"),
                                     QJsonObject{{QStringLiteral("parts"), QJsonArray{part}},
                                                 {QStringLiteral("role"), QStringLiteral("model")}}},
                                    {QStringLiteral("finishReason"), QStringLiteral("STOP")}};
        return json({{QStringLiteral("candidates"), QJsonArray{candidate}}});
    }
    const QJsonObject message{{QStringLiteral("role"), QStringLiteral("assistant")},
                              {QStringLiteral("content"), transcript}};
    return json({{QStringLiteral("choices"), QJsonArray{QJsonObject{{QStringLiteral("message"), message}}}}});
}
