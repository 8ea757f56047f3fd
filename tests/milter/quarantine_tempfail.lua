-- The quarantine and tempfail actions.
start('tempfail-reply "451 4.7.1 Held for review, try again later"\n')

local conn, reply = send(headers("plans"), "These plans are topsecret.\r\n")
expectAccepted(conn, reply, "Matched (Secret)", "PII:0;Secret:5;Later:0;Watch:0")
if not mt.eom_check(conn, MT_QUARANTINE, "Vessamund Matched (Secret)") then error("not quarantined") end
mt.disconnect(conn)

conn, reply = send(headers("later"), "Please holdback this one.\r\n")
if reply ~= SMFIR_REPLYCODE then error("expected a reply code, got " .. tostring(reply)) end
if not mt.eom_check(conn, MT_SMTPREPLY, "451", "4.7.1", "Held for review, try again later") then
  error("not the tempfail reply")
end
mt.disconnect(conn)

-- Both at once: tempfail is the more severe action.
conn, reply = send(headers("both"), "topsecret and holdback\r\n")
if not mt.eom_check(conn, MT_SMTPREPLY, "451", "4.7.1", "Held for review, try again later") then
  error("tempfail should win over quarantine")
end
mt.disconnect(conn)
