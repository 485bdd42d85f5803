// Anchors the simulator library while its model is being written.
