-- One client of scripts/tsan-e2e: sends `messages` messages to the milter at
-- `socket`, each on its own connection, alternating a card number (rejected),
-- a confidential word (quarantined) and a plain note (accepted), and checks
-- each reply. Says PASS at the end, or FAIL with the reason.
local function check(result, what)
  if result ~= nil then error(what .. ": " .. tostring(result)) end
end

local bodies = {
  {"Visa 4111 1111 1111 1111 and IBAN DE89 3704 0044 0532 0130 00\r\n", SMFIR_REPLYCODE},
  {"This is confidential, password = hunter2\r\n", SMFIR_ACCEPT},
  {"Lunch at noon? Invoice 12 attached.\r\n", SMFIR_ACCEPT},
}

local function one(n)
  local conn = mt.connect(socket, 100, 0.1)
  if conn == nil then error("cannot connect to " .. socket) end
  check(mt.negotiate(conn, nil, nil, nil), "negotiate")
  if not mt.test_option(conn, SMFIP_NOCONNECT) then
    check(mt.conninfo(conn, "client.example.test", "127.0.0.1"), "conninfo")
  end
  if not mt.test_option(conn, SMFIP_NOMAIL) then check(mt.mailfrom(conn, "<a@example.test>"), "mailfrom") end
  if not mt.test_option(conn, SMFIP_NORCPT) then check(mt.rcptto(conn, "<b@example.test>"), "rcptto") end
  check(mt.header(conn, "From", "a@example.test"), "header")
  check(mt.header(conn, "Subject", "load " .. client .. "." .. n), "header")
  if not mt.test_option(conn, SMFIP_NOEOH) then check(mt.eoh(conn), "eoh") end
  local body = bodies[n % #bodies + 1]
  check(mt.bodystring(conn, body[1]), "body")
  check(mt.eom(conn), "eom")
  local reply = mt.getreply(conn)
  if reply ~= body[2] then error("message " .. n .. ": reply " .. tostring(reply)) end
  mt.disconnect(conn)
end

local passed, why = pcall(function()
  for n = 1, tonumber(messages) do one(n) end
end)
if not passed then
  mt.echo("FAIL: " .. tostring(why))
  error(why, 0)
end
mt.echo("PASS")
