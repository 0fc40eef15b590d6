counter = counter + 1;
