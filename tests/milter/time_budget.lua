-- A message that outlasts the time budget goes to the hold queue (overtime's
-- default), marked skipped; not tempfailed, not let through. A 1 ms budget is spent before the first scanner starts: the
-- budget also covers reading the 4 MB message.
start("time-budget 1ms\nmax-size 16M\n")

local chunk = string.rep("plain words, nothing to find in them at all\r\n", 1300)
local body = {}
for i = 1, 70 do body[i] = chunk end
local conn, reply = send(headers("slow"), body)
expectAccepted(conn, reply, "Skipped (time budget)", "PII:0;Secret:0;Later:0;Watch:0")
if not mt.eom_check(conn, MT_QUARANTINE, "Vessamund Skipped (time budget)") then error("not quarantined") end
mt.disconnect(conn)
