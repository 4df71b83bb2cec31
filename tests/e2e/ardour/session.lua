-- Run by ardour7-lua on the dummy backend; prints what Ardour makes of the
-- plug-in, one line per fact, for ardour_test.py to judge.
--
--   session.lua create DIR NAME PLAN   a session with one stereo track, a
--       silent region of PLAN.frames samples (its files are replaced by the
--       test signal afterwards), a range over it (which the test makes the
--       session range) and the plug-in: prints every parameter's descriptor, sets the PLAN.checks
--       values through Ardour's controls and reads each back, then sets
--       PLAN.final and saves
--   session.lua reopen DIR NAME PLAN   loads the session, prints the values
--       the plug-in holds for PLAN.final and saves it again
--
-- PLAN is a Lua file returning { kind = "LXVST" or "LV2", id = the name or
-- URI Ardour knows the plug-in by, rate = N, frames = N,
-- checks = {{index, value}, ...}, final = {{index, value}, ...} }. Indexes
-- count the plug-in's controls as Ardour's Lua API does (for LV2 the latency
-- output is control 0).

local mode, dir, name, plan = arg[1], arg[2], arg[3], dofile(arg[4])
local RATE = plan.rate

local backend = AudioEngine:set_backend("None (Dummy)", "", "")
assert(backend, "no dummy backend")
backend:set_device_name("Silence")
backend:set_sample_rate(RATE)
assert(AudioEngine:start(false) == 0, "the engine does not start")

local function out(...)
	local parts = {}
	for _, v in ipairs({...}) do parts[#parts + 1] = tostring(v) end
	print(table.concat(parts, "\t"))
end

local function fmt(x) return string.format("%.9g", x) end

local function sylvatone()
	for r in Session:get_tracks():iter() do
		local proc = r:nth_plugin(0)
		if not proc:isnil() then return proc end
	end
	error("no plug-in in the session")
end

local function control(proc, index)
	return proc:to_automatable():automation_control(
		Evoral.Parameter(ARDOUR.AutomationType.PluginAutomation, 0, index), false)
end

local function set(proc, index, value)
	assert(ARDOUR.LuaAPI.set_processor_param(proc, index, value), "Ardour refused parameter " .. index)
end

local function get(proc, index)
	return ARDOUR.LuaAPI.get_processor_param(proc, index, true)
end

-- What a user of Ardour is offered: the descriptor, and whether the control
-- accepts an automation mode other than Off (Ardour refuses one for a
-- parameter the plug-in says cannot be automated).
local function describe(proc)
	local plug = proc:to_insert():plugin(0)
	out("COUNT", plug:parameter_count())
	for i = 0, plug:parameter_count() - 1 do
		local _, t = plug:get_parameter_descriptor(i, ARDOUR.ParameterDescriptor())
		local d = t[2]
		local c = control(proc, i)
		local automatable = false
		if not c:isnil() then
			c:set_automation_state(ARDOUR.AutoState.Play)
			automatable = c:automation_state() == ARDOUR.AutoState.Play
			c:set_automation_state(ARDOUR.AutoState.Off)
		end
		out("DESC", i, d.label, d.toggled, d.integer_step, fmt(d.lower), fmt(d.upper),
			fmt(d.step), fmt(d.largestep), d.rangesteps, automatable)
	end
end

if mode == "create" then
	create_session(dir, name, RATE)
	local track = Session:new_audio_track(2, 2, nil, 1, "Sylvatone", ARDOUR.PresentationInfo.max_order,
		ARDOUR.TrackMode.Normal, true):front():to_track()
	-- Ardour's Lua cannot import a file: bounce the empty track to get a
	-- region with files of its own, which the test overwrites.
	local region = track:bounce_range(0, plan.frames, ARDOUR.InterThreadInfo(), track:main_outs(), false,
		"signal", false)
	assert(not region:isnil(), "no region bounced")
	track:playlist():add_region(region, Temporal.timepos_t(0), 1, false, 0, 0, false)
	-- The test makes it the session range in the saved file: Lua can add
	-- only a plain range.
	Session:locations():add_range(Temporal.timepos_t(0), Temporal.timepos_t(plan.frames))

	local proc = ARDOUR.LuaAPI.new_plugin(Session, plan.id, ARDOUR.PluginType[plan.kind], "")
	assert(not proc:isnil(), "Ardour does not know the plug-in (not indexed?)")
	assert(track:add_processor_by_index(proc, 0, nil, true) == 0, "the plug-in does not go on the track")
	out("LATENCY", proc:signal_latency())

	describe(proc)
	for _, c in ipairs(plan.checks) do
		set(proc, c[1], c[2])
		out("GOT", c[1], fmt(c[2]), fmt(get(proc, c[1])))
	end
	for _, c in ipairs(plan.final) do set(proc, c[1], c[2]) end
else
	load_session(dir, name)
	local proc = sylvatone()
	for _, c in ipairs(plan.final) do
		out("HELD", c[1], fmt(c[2]), fmt(get(proc, c[1])))
	end
end

Session:save_state("", false, false, false, false, false)
close_session()
out("DONE")
