-- Archives and documents in attachments: what they hold counts, what cannot
-- be read gets the `unscannable` action with the reason in the status, and
-- hostile ones (bombs, 10,000 members, damage) neither stop the milter nor
-- lose the message.
start("unscannable quarantine\n")
-- A bomb takes seconds to refuse on a loaded machine: wait for the verdict
-- longer than miltertest's ten seconds.
mt.set_timeout(60)
local source = "../.."  -- run-miltertest runs scripts from tests/milter
local hostile = work .. "/hostile"
if not os.execute("python3 " .. source .. "/scripts/make-attachment-fixtures --hostile " .. hostile) then
  error("cannot make the hostile inputs")
end

local alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"
local function base64(data)
  local out = {}
  for i = 1, #data, 3 do
    local a, b, c = data:byte(i, i + 2)
    local n = a * 65536 + (b or 0) * 256 + (c or 0)
    local function at(k) return alphabet:sub(k + 1, k + 1) end
    out[#out + 1] = at(math.floor(n / 262144) % 64) .. at(math.floor(n / 4096) % 64) ..
      (b and at(math.floor(n / 64) % 64) or "=") .. (c and at(n % 64) or "=")
    if #out % 19 == 0 then out[#out + 1] = "\r\n" end
  end
  return table.concat(out)
end

-- Sends `text` as the body and the file at `path` attached as `name`.
local function sendWith(subject, text, name, path)
  local f = assert(io.open(path, "rb"))
  local data = f:read("*a")
  f:close()
  local h = headers(subject)
  h[#h + 1] = {"MIME-Version", "1.0"}
  h[#h + 1] = {"Content-Type", "multipart/mixed; boundary=\"b1\""}
  local body = "--b1\r\nContent-Type: text/plain\r\n\r\n" .. text .. "\r\n--b1\r\n" ..
    "Content-Type: application/octet-stream\r\nContent-Disposition: attachment; filename=\"" ..
    name .. "\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" .. base64(data) .. "\r\n--b1--\r\n"
  local chunks = {}  -- as an MTA sends them: at most 64 KiB a packet
  for i = 1, #body, 60000 do chunks[#chunks + 1] = body:sub(i, i + 59999) end
  return send(h, chunks)
end

local function stillServing(after)
  local conn, reply = send(headers("after " .. after), "nothing here\r\n")
  expectAccepted(conn, reply, "Clean", "PII:0;Secret:0;Later:0;Watch:0")
  mt.disconnect(conn)
end

-- One card in the body, one in the spreadsheet inside the zip: 20 reaches PII.
local conn, reply = sendWith("export", "Card 4111 1111 1111 1111 and the export.", "report.zip",
                             source .. "/data/attachments/report.zip")
if not mt.eom_check(conn, MT_SMTPREPLY, "550", "5.7.1", "Card numbers may not leave by mail") then
  error("the card in the spreadsheet did not count")
end
mt.disconnect(conn)

-- Encrypted: quarantined as unscannable, the reason in the status.
conn, reply = sendWith("secret", "See attached.", "secret.zip", source .. "/data/attachments/encrypted.zip")
expectAccepted(conn, reply, "Unscannable (secret.zip/planted.txt: encrypted)", "PII:0;Secret:0;Later:0;Watch:0")
if not mt.eom_check(conn, MT_QUARANTINE, "Vessamund Unscannable (secret.zip/planted.txt: encrypted)") then
  error("not quarantined")
end
mt.disconnect(conn)
stillServing("encrypted")

for _, name in ipairs({"bomb-nested.zip", "bomb-single.zip", "many-members.zip", "overlapping.zip",
                       "truncated.zip", "truncated.tar.gz", "broken-xref.pdf", "traversal.zip", "deep.zip"}) do
  mt.echo("* " .. name)
  conn, reply = sendWith(name, "See attached.", name, hostile .. "/" .. name)
  -- Accepted (quarantined when unscannable), or rejected for the cards
  -- that some of them hold and that were read: judged either way.
  if reply == SMFIR_ACCEPT then
    if not mt.eom_check(conn, MT_HDRADD, "X-Vessamund-Status") then error(name .. ": no status") end
  elseif not mt.eom_check(conn, MT_SMTPREPLY, "550", "5.7.1", "Card numbers may not leave by mail") then
    error(name .. ": neither accepted nor rejected for cards: " .. tostring(reply))
  end
  mt.disconnect(conn)
  stillServing(name)
end
