-- Removes the owner's link (and the record after its last link); no row comes
-- back when the link is gone or the record changed meanwhile.
select d.id_file
  from lrg.file_owner_delete( :id , :c_table , :n_key , :n_row_version ) d
