-- A database broken while the milter runs: the reload fails, every old
-- scanner stays (card mail is still rejected) and the log says why; once
-- the database is back, a reload brings the new policy in.
local log = work .. "/milter.log"
local dbFile = db .. "/fe_content.db"
start(nil, log)

local function cards(subject)
  local conn, reply = send(headers(subject), "Visa 4111 1111 1111 1111\r\nMC 5555 5555 5555 4444\r\n")
  mt.disconnect(conn)
  return reply == SMFIR_REPLYCODE
end
local function shell(command)
  local rc = os.execute(command)
  if rc ~= true and rc ~= 0 then error("failed: " .. command) end
end
local function logHas(text)
  local f = assert(io.open(log))
  local all = f:read("*a")
  f:close()
  return all:find(text, 1, true) ~= nil
end

if not cards("before") then error("card mail not rejected at the start") end
shell("cp " .. dbFile .. " " .. work .. "/saved.db && echo garbage > " .. dbFile)
mt.signal(1)  -- SIGHUP
mt.sleep(0.3)
if not cards("corrupted") then error("card mail passed after reloading a corrupted database") end
if not logHas("reload 1 failed: dictionary PII: " .. dbFile .. ": not a configuration database") then
  error("the log does not say why the reload failed")
end
if not logHas("keeping every scanner loaded before") then error("the log does not say the old scanners stay") end

shell("cp " .. work .. "/saved.db " .. dbFile)
shell(vmund .. " dict add --db-dir " .. db .. " Watch bravo --weight 5 > /dev/null")
mt.signal(1)
mt.sleep(0.3)
local conn, reply = send(headers("restored"), "Project bravo starts Monday.\r\n")
expectAccepted(conn, reply, "Matched (Watch)", "PII:0;Secret:0;Later:0;Watch:5")
mt.disconnect(conn)
if not logHas("reload 2 done") then error("the log does not show the good reload") end
