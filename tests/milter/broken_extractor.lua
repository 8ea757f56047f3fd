-- An extractor that fails (here: one that exits at once) makes the
-- attachment unscannable; the message is still judged and the SMTP
-- transaction completes, and with `unscannable reject` the message is
-- refused with the default reply rather than lost or deferred forever.
start("extractor /bin/false\nunscannable reject\nreject-reply \"550 5.7.1 Unreadable attachment\"\n")

local h = headers("zip")
h[#h + 1] = {"MIME-Version", "1.0"}
h[#h + 1] = {"Content-Type", "multipart/mixed; boundary=\"b1\""}
local body = "--b1\r\nContent-Type: text/plain\r\n\r\nSee attached.\r\n--b1\r\n" ..
  "Content-Type: application/zip\r\nContent-Disposition: attachment; filename=\"a.zip\"\r\n" ..
  "Content-Transfer-Encoding: base64\r\n\r\nUEsDBAoAAAAAAAAAIQAAAAAAAAAAAAAAAAAFAAAAYS50eHRQSwUGAAAAAAEAAQAzAAAAIwAAAAAA\r\n--b1--\r\n"
local conn, reply = send(h, body)
if not mt.eom_check(conn, MT_SMTPREPLY, "550", "5.7.1", "Unreadable attachment") then
  error("expected the unscannable reject, got " .. tostring(reply))
end
mt.disconnect(conn)

-- A message without binary attachments needs no extractor.
conn, reply = send(headers("plain"), "nothing here\r\n")
expectAccepted(conn, reply, "Clean", "PII:0;Secret:0;Later:0;Watch:0")
mt.disconnect(conn)
