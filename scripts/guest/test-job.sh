#!/bin/bash
# Runs in the test guest as /host/job.sh: the i686 tests of the payload that
# the host put into the shared folder, in the Wine prefix baked into the image.
source /opt/tarvik/wine-env.sh
bash /host/payload/i686-job.sh /host/payload /host/results.txt /root/run
