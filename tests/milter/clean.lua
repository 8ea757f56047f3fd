-- A clean message is accepted with both headers; copies a sender forged are
-- removed first.
start()

local conn, reply = send(headers("lunch"), "Shall we meet at noon?\r\n")
expectAccepted(conn, reply, "Clean", "PII:0;Secret:0;Later:0;Watch:0")
if mt.eom_check(conn, MT_HDRDELETE) then error("nothing to delete, yet a header was deleted") end
if mt.eom_check(conn, MT_QUARANTINE) then error("a clean message was quarantined") end
mt.disconnect(conn)

local forged = headers("forged")
table.insert(forged, {"X-Vessamund-Status", "Clean"})
table.insert(forged, {"x-vessamund-score", "PII:0"})
conn, reply = send(forged, "Card 4111 1111 1111 1111 only once.\r\n")
expectAccepted(conn, reply, "Clean", "PII:10;Secret:0;Later:0;Watch:0")
if not mt.eom_check(conn, MT_HDRDELETE, "X-Vessamund-Status") then error("forged status kept") end
if not mt.eom_check(conn, MT_HDRDELETE, "X-Vessamund-Score") then error("forged score kept") end
mt.disconnect(conn)
