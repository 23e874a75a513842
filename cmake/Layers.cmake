# The layering: every library folder under src/ and what it is built on. A library may include
# and link only its own folder and what its line names here, and through those, what they are
# built on; an entry ending in .h opens that one header of its folder and nothing below it.
# The build checks every include against this table (cmake/CheckLayers.cmake) before it
# compiles a library, and a library that links or includes against it fails the build.
#
# The rules engine's second header is the byte-order helpers every layer shares: header-only, no
# operating system behind it.
#
# A new subsystem: add its line here, at its height, and drop its folder in src/. A top-level
# folder adds itself to the build; a nested one (game/mode) is added by its parent's CMakeLists.
#
#        folder            built on
mj_layer(platform)
mj_layer(framework         ON platform)
mj_layer(storage           ON framework)
mj_layer(graphics          ON storage)
mj_layer(sound             ON storage)
mj_layer(mahjong           ON framework/random.h platform/little_endian.h)
mj_layer(game              ON mahjong framework/task.h)
mj_layer(game/server       ON game)
mj_layer(game/client       ON game graphics sound)
mj_layer(game/mode         ON game/server game/client)
mj_layer(store             ON graphics storage)
mj_layer(script            ON graphics sound)
# The presentation, from the bottom: the message document; the animated objects and controls
# that the pictures and jobs place; the graphic layer; transitions and the per-frame jobs on it;
# the sound commands, which run through the fade and wait jobs; the menus, themselves jobs; and
# the engine that joins them.
mj_layer(script/present/doc         ON script)
mj_layer(script/present/ui          ON script)
mj_layer(script/present/graphic     ON script/present/doc script/present/ui)
mj_layer(script/present/transition  ON script/present/graphic)
mj_layer(script/present/jobs        ON script/present/graphic)
mj_layer(script/present/sound       ON script/present/jobs script/present/transition)
mj_layer(script/present/ui/menu     ON script/present/jobs)
mj_layer(script/present    ON script/present/sound script/present/ui/menu)
mj_layer(net               ON framework game/mode)
mj_layer(app               ON game/mode store script/present net)
