. "$here/replay.sh"
replay_volumes winxp
