-- Positional: new name, description, checksum, size, SHA-256, file id, the
-- version the client read. Returns the stored record, or no row when the
-- record changed meanwhile.
select * from lrg.file_replace( :cfile , :ccomment , :ncrc , :nsize , :csha256 , :id , :n_row_version )
