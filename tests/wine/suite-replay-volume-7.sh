. "$here/replay.sh"
replay_volumes win7
