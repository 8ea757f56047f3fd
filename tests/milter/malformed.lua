-- Malformed, oversized and slow messages are judged or skipped, and the
-- milter keeps serving.
start("max-size 256K\n")

local broken = {
  {"no headers at all", {}, "4111 1111 1111 1111\r\n"},
  {"missing boundary", {{"Content-Type", "multipart/mixed; boundary=\"nowhere\""}},
   "--elsewhere\r\nContent-Type: text/plain\r\n\r\nalpha\r\n"},
  {"bad base64", {{"Content-Type", "text/plain"}, {"Content-Transfer-Encoding", "base64"}},
   "@@@@ not base64 at all ====\r\n"},
  -- (miltertest cuts a body string at its first NUL byte)
  {"control and 8-bit bytes", {{"Content-Type", "text/plain; charset=utf-8"}},
   "\1\2\255\254\r\n\27[0m\192\128 \237\160\128\r\n"},
  {"broken charset and encoded word", {{"Subject", "=?x-unknown?Q?=FF=FE?="},
   {"Content-Type", "text/plain; charset=x-nonsense"}}, "\255\254\253 alpha\r\n"},
  {"nested multipart without end", {{"Content-Type", "multipart/mixed; boundary=a"}},
   "--a\r\nContent-Type: multipart/alternative; boundary=b\r\n\r\n--b\r\n--b\r\n--a\r\n"},
}
for _, case in ipairs(broken) do
  mt.echo("* " .. case[1])
  local conn, reply = send(case[2], case[3])
  if reply ~= SMFIR_ACCEPT then error(case[1] .. ": expected accept, got " .. tostring(reply)) end
  if not mt.eom_check(conn, MT_HDRADD, "X-Vessamund-Status") then error(case[1] .. ": no status") end
  mt.disconnect(conn)
end

-- Text without headers is still scanned: one card, under the threshold.
local conn, reply = send({}, "4111 1111 1111 1111\r\n")
expectAccepted(conn, reply, "Clean", "PII:10;Secret:0;Later:0;Watch:0")
mt.disconnect(conn)

-- Over max-size: not scanned, cards or not, and held (oversize's default).
local chunk = string.rep("4111 1111 1111 1111 topsecret\r\n", 2000)  -- 62,000 bytes
conn, reply = send(headers("big"), {chunk, chunk, chunk, chunk, chunk})
expectAccepted(conn, reply, "Skipped (size limit)", nil)
if not mt.eom_check(conn, MT_QUARANTINE, "Vessamund Skipped (size limit)") then error("not quarantined") end
mt.disconnect(conn)

-- Still serving.
conn, reply = send(headers("after"), "nothing here\r\n")
expectAccepted(conn, reply, "Clean", "PII:0;Secret:0;Later:0;Watch:0")
mt.disconnect(conn)
