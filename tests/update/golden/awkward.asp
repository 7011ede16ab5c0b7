<%
response.ContentType = "text/plain"
dim arrCurrentSearchEngines, sSearchEngineFields, arrSearchEngineFields
arrCurrentSearchEngines = split(Request("SearchEngines"),"|")
response.write "<XML program=""QELS"" author=""Farrowdale"">" & vbcrlf
sSearchEngineFields = "SearchEngineID,SearchEngineName,ReviewQueryString,SubmitQueryString,SearchEngineTips,HTTPReviewMethod,HTTPSubmitMethod,Popularity"
arrSearchEngineFields = split(sSearchEngineFields,",")
redim arrSearchEngineInformation(1)
arrSearchEngineInformation(0) = split("3|CAST(X'506970657C456E67696E65' AS TEXT)|CAST(X'68747470733A2F2F702E6578616D706C652F3F713D3C2555524C253E7C78' AS TEXT)|''|CAST(X'4C696E6520310D0A6C696E6520320A6C696E6520330D656E642C202271756F7465642220616E64204F27427269656E2773' AS TEXT)|'get'|'post'|'5'","|")

arrSearchEngineInformation(1) = split("4|CAST(X'436166C3A920E697A5E69CAC2022712220276127' AS TEXT)|''|'https://c.example/?u=<" & "%URL%" & ">'|CAST(X'3530253E203C2520646F6E657C' AS TEXT)|''|'get'|'6'","|")
dim lAllCounter, lSelectCounter, bAlreadyListed, lCounter
for lAllCounter = lbound(arrSearchEngineInformation) to ubound(arrSearchEngineInformation)
    bAlreadyListed = false
    for lSelectorCounter = lbound(arrCurrentSearchEngines ) to ubound(arrCurrentSearchEngines)
        if isNumeric(arrSearchEngineInformation(lAllCounter)(0)) and isNumeric(arrCurrentSearchEngines(lSelectorCounter)) then
            if clng(arrSearchEngineInformation(lAllCounter)(0)) =  clng(arrCurrentSearchEngines(lSelectorCounter)) then
                bAlreadyListed = true
            end if
        end if
    next 'lSelectorCounter
    if bAlreadyListed then
        response.write "UPDATE SearchEngines SET "
            for lCounter = lbound(arrSearchEngineInformation(lAllCounter)) to ubound(arrSearchEngineInformation(lAllCounter))
                if lCounter > lbound(arrSearchEngineInformation(lAllCounter)) then
                    response.write arrSearchEngineFields(lCounter) & " = " & (arrSearchEngineInformation(lAllCounter)(lCounter))
                end if
                if lCounter > lbound(arrSearchEngineInformation(lAllCounter)) AND lCounter < ubound(arrSearchEngineInformation(lAllCounter)) then
                    response.write ","
                end if
            next 'lCounter
        response.write " WHERE SearchEngineID = " & arrSearchEngineInformation(lAllCounter)(0) & "" & vbCrLf
    else
        response.write "INSERT INTO SearchEngines (" & sSearchEngineFields & ") VALUES ("
            for lCounter = lbound(arrSearchEngineInformation(lAllCounter)) to ubound(arrSearchEngineInformation(lAllCounter))
                response.write (arrSearchEngineInformation(lAllCounter)(lCounter))
                if lCounter < ubound(arrSearchEngineInformation(lAllCounter)) then
                    response.write ","
                end if
            next 'lCounter
        response.write ")" & vbcrlf
    end if
next 'lAllCounter
response.write "</XML>"
'log the particulars
Dim objFSO, objTextFile
Set objFSO = CreateObject("Scripting.FileSystemObject")
Set objTextFile = objFSO.OpenTextFile(Server.MapPath("Log-" & Year(now()) & "-" & Month(now()) & ".log"),8,true)
objTextFile.writeline (now() & "|" & request.servervariables("REMOTE_ADDR") & "|" & replace(request.servervariables("HTTP_USER_AGENT"),"|","][") & "|" & request.querystring("ver") & "|" & replace(request.querystring("SearchEngines"),"|","-") & "|" & request.querystring("wsc") & "|" & request.querystring("wsnc") & "|" & request.querystring("wpurc") & "|" & request.querystring("sc"))
objTextFile.Close
Set objTextFile = Nothing
Set objFSO = Nothing
%>