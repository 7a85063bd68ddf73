# Sourced by the scripts that need a display of their own.
#
#   start_xvfb DIR WxHxD
# starts an Xvfb server on a free display number, waits until it is up,
# exports DISPLAY and sets xvfb_pid (for the caller to stop it). DIR receives
# the display number file.
start_xvfb() {
  local dir=$1 geometry=$2
  Xvfb -displayfd 7 -screen 0 "$geometry" -nolisten tcp 7>"$dir/display" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$dir/display" ] && break
    sleep 0.1
  done
  DISPLAY=:$(head -n1 "$dir/display")
  export DISPLAY
}
