<%
response.ContentType = "text/plain"
dim arrCurrentSearchEngines, sSearchEngineFields, arrSearchEngineFields
arrCurrentSearchEngines = split(Request("SearchEngines"),"|")
response.write "<XML program=""QELS"" author=""Farrowdale"">" & vbcrlf
sSearchEngineFields = "SearchEngineID,SearchEngineName,ReviewQueryString,SubmitQueryString,SearchEngineTips,HTTPReviewMethod,HTTPSubmitMethod,Popularity"
arrSearchEngineFields = split(sSearchEngineFields,",")
redim arrSearchEngineInformation(-1)
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