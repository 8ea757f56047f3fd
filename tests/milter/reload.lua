-- SIGHUP makes the next message reload the dictionaries; the milter keeps
-- running through it.
start()

local function watch(subject)
  local conn, reply = send(headers(subject), "Project bravo starts Monday.\r\n")
  if reply ~= SMFIR_ACCEPT then error(subject .. ": expected accept") end
  local matched = mt.eom_check(conn, MT_HDRADD, "X-Vessamund-Status", "Matched (Watch)")
  mt.disconnect(conn)
  return matched
end

if watch("before") then error("bravo matched before it was added") end
local rc = os.execute(vmund .. " dict add --db-dir " .. db .. " Watch bravo --weight 5 > /dev/null")
if rc ~= true and rc ~= 0 then error("vmund dict add failed") end
if watch("cached") then error("the dictionary changed without a reload") end

mt.signal(1)  -- SIGHUP
mt.sleep(0.3)
if not watch("reloaded") then error("SIGHUP did not reload the dictionary") end

-- A second reload in a row, and the milter still answers.
mt.signal(1)
mt.sleep(0.3)
if not watch("again") then error("lost the dictionary on the second reload") end
