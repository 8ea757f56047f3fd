-- headers internal: only mail whose recipients are all in local-domains gets
-- X-Vessamund-*; mail with an outside recipient leaves without them (and
-- without the forged copy it brought).
start("headers internal\nlocal-domains example.test\n")
local body = "Project alpha starts Monday.\r\n"
local conn, reply = send(headers("inside"), body, {"<a@example.test>", "<b@mail.example.test>"})
expectAccepted(conn, reply, "Matched (Watch)", "PII:0;Secret:0;Later:0;Watch:5")
mt.disconnect(conn)

local h = headers("outside")
table.insert(h, {"X-Vessamund-Status", "Clean"})
conn, reply = send(h, body, {"<a@example.test>", "<x@elsewhere.test>"})
if reply ~= SMFIR_ACCEPT then error("expected accept") end
if mt.eom_check(conn, MT_HDRADD) then error("headers added to mail leaving the local domains") end
if not mt.eom_check(conn, MT_HDRCHANGE, "X-Vessamund-Status") then error("the forged header stayed") end
mt.disconnect(conn)
