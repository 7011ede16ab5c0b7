#include "UpdateScript.h"

#include <QStringList>

#include "core/CommonFunctions.h"

namespace fd {

namespace {

// The answering loop: compares each stored id with the ids the client sent
// and writes an UPDATE for the ones it has, an INSERT for the others.
const char* const kAnswerLoop[] = {
    "dim lAllCounter, lSelectCounter, bAlreadyListed, lCounter",
    "for lAllCounter = lbound(arrSearchEngineInformation) to ubound(arrSearchEngineInformation)",
    "    bAlreadyListed = false",
    "    for lSelectorCounter = lbound(arrCurrentSearchEngines ) to "
    "ubound(arrCurrentSearchEngines)",
    "        if isNumeric(arrSearchEngineInformation(lAllCounter)(0)) and "
    "isNumeric(arrCurrentSearchEngines(lSelectorCounter)) then",
    "            if clng(arrSearchEngineInformation(lAllCounter)(0)) =  "
    "clng(arrCurrentSearchEngines(lSelectorCounter)) then",
    "                bAlreadyListed = true",
    "            end if",
    "        end if",
    "    next 'lSelectorCounter",
    "    if bAlreadyListed then",
    "        response.write \"UPDATE SearchEngines SET \"",
    "            for lCounter = lbound(arrSearchEngineInformation(lAllCounter)) to "
    "ubound(arrSearchEngineInformation(lAllCounter))",
    "                if lCounter > lbound(arrSearchEngineInformation(lAllCounter)) then",
    "                    response.write arrSearchEngineFields(lCounter) & \" = \" & "
    "(arrSearchEngineInformation(lAllCounter)(lCounter))",
    "                end if",
    "                if lCounter > lbound(arrSearchEngineInformation(lAllCounter)) AND lCounter < "
    "ubound(arrSearchEngineInformation(lAllCounter)) then",
    "                    response.write \",\"",
    "                end if",
    "            next 'lCounter",
    "        response.write \" WHERE SearchEngineID = \" & "
    "arrSearchEngineInformation(lAllCounter)(0) "
    "& \"\" & vbCrLf",
    "    else",
    "        response.write \"INSERT INTO SearchEngines (\" & sSearchEngineFields & \") VALUES (\"",
    "            for lCounter = lbound(arrSearchEngineInformation(lAllCounter)) to "
    "ubound(arrSearchEngineInformation(lAllCounter))",
    "                response.write (arrSearchEngineInformation(lAllCounter)(lCounter))",
    "                if lCounter < ubound(arrSearchEngineInformation(lAllCounter)) then",
    "                    response.write \",\"",
    "                end if",
    "            next 'lCounter",
    "        response.write \")\" & vbcrlf",
    "    end if",
    "next 'lAllCounter",
    "response.write \"</XML>\"",
    "'log the particulars",
    "Dim objFSO, objTextFile",
    "Set objFSO = CreateObject(\"Scripting.FileSystemObject\")",
    "Set objTextFile = objFSO.OpenTextFile(Server.MapPath(\"Log-\" & Year(now()) & \"-\" & "
    "Month(now()) & \".log\"),8,true)",
    "objTextFile.writeline (now() & \"|\" & request.servervariables(\"REMOTE_ADDR\") & \"|\" & "
    "replace(request.servervariables(\"HTTP_USER_AGENT\"),\"|\",\"][\") & \"|\" & "
    "request.querystring(\"ver\") & \"|\" & replace(request.querystring(\"SearchEngines\"),\"|\","
    "\"-\") & \"|\" & request.querystring(\"wsc\") & \"|\" & request.querystring(\"wsnc\") & \"|\" "
    "& request.querystring(\"wpurc\") & \"|\" & request.querystring(\"sc\"))",
    "objTextFile.Close",
    "Set objTextFile = Nothing",
    "Set objFSO = Nothing",
};

}  // namespace

QString escapeScriptValue(const QString& value) {
    QString v = value;
    v.replace(u'\'', QStringLiteral("''"));
    v.replace(u'"', QStringLiteral("\"\""));
    v.replace(QStringLiteral("<%"), QStringLiteral("<\" & \"%"));
    v.replace(QStringLiteral("%>"), QStringLiteral("%\" & \">"));
    return v;
}

QString packScriptValue(const QString& value) {
    bool plain = true;
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        if (u == u'|' || u < 0x20 || u > 0x7E) {
            plain = false;
            break;
        }
    }
    if (plain) return u'\'' + escapeScriptValue(value) + u'\'';
    // The data line is split at "|" and must stay on one line, and the page's
    // host may not read or write non-ASCII text as it was written; so such a
    // value travels as the hexadecimal of its UTF-8 bytes, which the client
    // turns back into the same text.
    return QStringLiteral("CAST(X'") + QString::fromLatin1(value.toUtf8().toHex().toUpper()) +
           QStringLiteral("' AS TEXT)");
}

QByteArray buildUpdateScript(const QVector<EngineRow>& rows, const QString& author) {
    const QString crlf = QStringLiteral("\r\n");
    QString s;
    s += QStringLiteral("<%") + crlf;
    s += QStringLiteral("response.ContentType = \"text/plain\"") + crlf;
    s += QStringLiteral("dim arrCurrentSearchEngines, sSearchEngineFields, arrSearchEngineFields") +
         crlf;
    s += QStringLiteral("arrCurrentSearchEngines = split(Request(\"SearchEngines\"),\"|\")") + crlf;
    s += QStringLiteral("response.write \"<XML program=\"\"QELS\"\" author=\"\"") + author +
         QStringLiteral("\"\">\" & vbcrlf") + crlf;
    s += QStringLiteral(
             "sSearchEngineFields = \"SearchEngineID,SearchEngineName,ReviewQueryString,"
             "SubmitQueryString,SearchEngineTips,HTTPReviewMethod,HTTPSubmitMethod,"
             "Popularity\"") +
         crlf;
    s += QStringLiteral("arrSearchEngineFields = split(sSearchEngineFields,\",\")") + crlf;
    s += QStringLiteral("redim arrSearchEngineInformation(%1)").arg(rows.size() - 1);
    for (int i = 0; i < rows.size(); ++i) {
        const EngineRow& r = rows[i];
        QStringList packed;
        for (const QString* f : {&r.name, &r.review, &r.submit, &r.tips, &r.reviewMethod,
                                 &r.submitMethod, &r.popularity})
            packed << packScriptValue(*f);
        s += crlf + QStringLiteral("arrSearchEngineInformation(%1) = split(\"").arg(i) + r.id +
             u'|' + packed.join(u'|') + QStringLiteral("\",\"|\")") + crlf;
    }
    // Each data line ends with its own line end; with no data lines the
    // redim line still needs one, or the next statement would run into it.
    if (rows.isEmpty()) s += crlf;
    for (const char* line : kAnswerLoop) s += QString::fromUtf8(line) + crlf;
    s += QStringLiteral("%>");
    return s.toUtf8();
}

bool CreateUpdateScript(const CADODBAccess& db, const QString& programFolder, ErrorSink& log) {
    return leaveOnError(log, QStringLiteral("CreateUpdateScript"), [&] {
        RecordsetPtr rs = db.query(QStringLiteral(
            "Select SearchEngineID, SearchEngineName,ReviewQueryString, SubmitQueryString, "
            "SearchEngineTips, HTTPReviewMethod, HTTPSubmitMethod,Popularity from SearchEngines "
            "order by SearchEngineID"));
        QVector<EngineRow> rows;
        for (; !rs->eof(); rs->moveNext()) {
            rows.push_back({rs->field(QStringLiteral("SearchEngineID")),
                            rs->field(QStringLiteral("SearchEngineName")),
                            rs->field(QStringLiteral("ReviewQueryString")),
                            rs->field(QStringLiteral("SubmitQueryString")),
                            rs->field(QStringLiteral("SearchEngineTips")),
                            rs->field(QStringLiteral("HTTPReviewMethod")),
                            rs->field(QStringLiteral("HTTPSubmitMethod")),
                            rs->field(QStringLiteral("Popularity"))});
        }
        if (!WriteTextFile(programFolder, QStringLiteral("Update.asp"), buildUpdateScript(rows))) {
            throw AppError(
                err::kPathNotFound,
                QStringLiteral("Update.asp could not be written in %1").arg(programFolder),
                QStringLiteral("CreateUpdateScript"));
        }
    });
}

}  // namespace fd
