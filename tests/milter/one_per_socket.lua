-- A second milter on the socket of a running one refuses to start (exit 1),
-- and the first goes on serving.
start()
local function clean(subject)
  local conn, reply = send(headers(subject), "Nothing to see.\r\n")
  expectAccepted(conn, reply, "Clean", "PII:0;Secret:0;Later:0;Watch:0")
  mt.disconnect(conn)
end
clean("first is listening")
local rc = os.execute("timeout 5 " .. milter .. " -c " .. work .. "/milter.conf 2> " .. work ..
                      "/second.log; test $? -eq 1")
if rc ~= true and rc ~= 0 then error("a second milter did not refuse the socket with exit status 1") end
clean("still served")
