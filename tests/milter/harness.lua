-- Runs the miltertest script named by the global `test` with helpers for
-- configuration, start, and sending one message the way an MTA does; says
-- FAIL with the reason (miltertest itself keeps Lua errors to itself) or
-- PASS. Globals from run-miltertest: test, milter, vmund, work, db, socket.

-- Fails the script with `what` unless a miltertest call returned nil.
function ok(result, what)
  if result ~= nil then error(what .. ": " .. tostring(result)) end
end

-- Writes the configuration (the rules every script shares, then `extra`
-- lines) and starts the milter on it; with `log`, its standard error goes
-- to that file (exec keeps the pid that mt.signal reaches).
function start(extra, log)
  local conf = work .. "/milter.conf"
  local f = assert(io.open(conf, "w"))
  f:write("socket " .. socket .. "\n")
  f:write("db-dir " .. db .. "\n")
  f:write("headers all\n")
  f:write('dictionary PII threshold 20 action reject reply "550 5.7.1 Card numbers may not leave by mail"\n')
  f:write("dictionary Secret threshold 5 action quarantine\n")
  f:write("dictionary Later threshold 5 action tempfail\n")
  f:write("dictionary Watch threshold 5\n")
  f:write(extra or "")
  f:close()
  if log then
    mt.startfilter("/bin/sh", "-c", "exec '" .. milter .. "' -c '" .. conf .. "' 2>>'" .. log .. "'")
  else
    mt.startfilter(milter, "-c", conf)
  end
end

-- Sends one message on a new connection. `headers` is a list of {name,
-- value}; `body` a string or a list of chunks; `rcpts` the envelope
-- recipients (default rcpt@example.test). Returns the connection (for
-- mt.eom_check) and the reply to end of message.
function send(headers, body, rcpts)
  local conn = mt.connect(socket, 100, 0.1)
  if conn == nil then error("cannot connect to the milter at " .. socket) end
  ok(mt.negotiate(conn, nil, nil, nil), "negotiate")
  -- Steps the milter declined at negotiation are not sent, as an MTA does.
  if not mt.test_option(conn, SMFIP_NOCONNECT) then
    ok(mt.conninfo(conn, "client.example.test", "127.0.0.1"), "conninfo")
  end
  if not mt.test_option(conn, SMFIP_NOMAIL) then
    ok(mt.mailfrom(conn, "<sender@example.test>"), "mailfrom")
  end
  if not mt.test_option(conn, SMFIP_NORCPT) then
    for _, r in ipairs(rcpts or {"<rcpt@example.test>"}) do ok(mt.rcptto(conn, r), "rcptto") end
  end
  for _, h in ipairs(headers) do ok(mt.header(conn, h[1], h[2]), "header " .. h[1]) end
  if not mt.test_option(conn, SMFIP_NOEOH) then ok(mt.eoh(conn), "eoh") end
  if type(body) == "string" then body = {body} end
  for _, chunk in ipairs(body) do ok(mt.bodystring(conn, chunk), "body") end
  ok(mt.eom(conn), "eom")
  return conn, mt.getreply(conn)
end

-- The usual headers of a message with `subject`.
function headers(subject)
  return {{"From", "sender@example.test"}, {"To", "rcpt@example.test"},
          {"Subject", subject}, {"Message-ID", "<" .. subject:gsub("%W", "") .. "@example.test>"}}
end

-- Fails unless the message was accepted with these two headers added
-- (score nil: no score header at all).
function expectAccepted(conn, reply, status, score)
  if reply ~= SMFIR_ACCEPT then error("expected accept, got reply " .. tostring(reply)) end
  if not mt.eom_check(conn, MT_HDRADD, "X-Vessamund-Status", status) then
    error("no X-Vessamund-Status: " .. status)
  end
  if score == nil then
    if mt.eom_check(conn, MT_HDRADD, "X-Vessamund-Score") then error("unexpected X-Vessamund-Score") end
  elseif not mt.eom_check(conn, MT_HDRADD, "X-Vessamund-Score", score) then
    error("no X-Vessamund-Score: " .. score)
  end
end

local passed, why = pcall(dofile, test)
if not passed then
  mt.echo("FAIL: " .. tostring(why))
  error(why, 0)
end
mt.echo("PASS")
