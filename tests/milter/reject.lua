-- Card numbers over the threshold: rejected with the rule's reply; a
-- rejecting rule without a reply of its own: the default reply.
assert(os.execute(vmund .. " dict add --db-dir " .. db .. " Codeword bluebird --weight 10 > /dev/null"))
start('dictionary Codeword threshold 10 action reject\n')

local conn, reply = send(headers("cards"),
  "Visa 4111 1111 1111 1111\r\nMastercard 5555 5555 5555 4444\r\n")
if reply ~= SMFIR_REPLYCODE then error("expected a reply code, got " .. tostring(reply)) end
if not mt.eom_check(conn, MT_SMTPREPLY, "550", "5.7.1", "Card numbers may not leave by mail") then
  error("not the configured reply")
end
if mt.eom_check(conn, MT_HDRADD) then error("headers added to a rejected message") end
mt.disconnect(conn)

conn, reply = send(headers("plans"), "Operation bluebird starts Monday.\r\n")
if reply ~= SMFIR_REPLYCODE then error("expected a reply code, got " .. tostring(reply)) end
if not mt.eom_check(conn, MT_SMTPREPLY, "550", "5.7.1",
                    "Message refused by data-loss-prevention policy") then
  error("not the default reply")
end
mt.disconnect(conn)
