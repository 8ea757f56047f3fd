-- The findings summary: in the log line always, as a header only when the
-- setting asks and the message is delivered or held, never with a value in it.
start("findings-header yes\n")

-- One card scores 10 of PII's 20: accepted, and the header says why it scored.
local conn, reply = send(headers("card"), "pay with card 4111 1111 1111 1111 please\r\n")
expectAccepted(conn, reply, "Clean", "PII:10;Secret:0;Later:0;Watch:0")
if not mt.eom_check(conn, MT_HDRADD, "X-Vessamund-Findings", "creditcard=1 in body") then
  error("no X-Vessamund-Findings on accepted mail")
end
mt.disconnect(conn)

conn, reply = send(headers("cards"), "4111 1111 1111 1111 and 5555 5555 5555 4444\r\n")
if reply ~= SMFIR_REPLYCODE then error("two cards are rejected by PII") end
if mt.eom_check(conn, MT_HDRADD, "X-Vessamund-Findings") then error("a rejected message got headers") end
mt.disconnect(conn)

conn, reply = send(headers("plans"), "These plans are topsecret.\r\n")
if not mt.eom_check(conn, MT_HDRADD, "X-Vessamund-Findings", "topsecret=1 in body") then
  error("no X-Vessamund-Findings on quarantined mail")
end
mt.disconnect(conn)

-- A forged copy is removed before the milter adds its own.
local forged = headers("forged")
table.insert(forged, {"X-Vessamund-Findings", "nothing=0 in body"})
conn, reply = send(forged, "clean text\r\n")
if not mt.eom_check(conn, MT_HDRCHANGE, "X-Vessamund-Findings", "") then
  error("the forged X-Vessamund-Findings stayed")
end
if mt.eom_check(conn, MT_HDRADD, "X-Vessamund-Findings") then error("clean mail got findings") end
mt.disconnect(conn)
